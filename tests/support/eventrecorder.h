#pragma once

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

// Logs the input events that the watched objects receive, so that a test can assert the
// exact sequence a user would have produced. Only the chosen event types are kept; by
// default mouse buttons, mouse moves, context-menu requests and keys.
//
// lines() gives one readable line per event, for example
//   MouseButtonPress LeftButton buttons=LeftButton (49,24)
//   MouseButtonRelease RightButton buttons=NoButton (49,24) ShiftModifier
//   KeyPress Key_A "a"
//   ContextMenu Mouse (5,5)
// (modifiers only when there are any), and entries() the raw values. The recorder is a
// filter only: it never swallows an event. Watch the widget itself, not its window: posted
// input goes straight to the widget.
class EventRecorder : public QObject
{
public:
    struct Entry
    {
        QPointer<QObject> receiver;
        QString receiverName; // kept apart: the receiver may be gone when the test looks
        QEvent::Type type = QEvent::None;
        int key = 0;
        QString text;
        Qt::MouseButton button = Qt::NoButton;
        Qt::MouseButtons buttons = Qt::NoButton;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        QPoint pos;
        QPoint globalPos;
        int contextReason = -1;
    };

    static QSet<QEvent::Type> inputTypes()
    {
        return {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                QEvent::MouseMove,        QEvent::ContextMenu,        QEvent::KeyPress,
                QEvent::KeyRelease};
    }

    explicit EventRecorder(QSet<QEvent::Type> types = inputTypes()) : recorded(std::move(types)) {}

    // Records what `object` receives from now on; several objects may be watched.
    void watch(QObject *object) { object->installEventFilter(this); }

    void clear() { log.clear(); }
    const QVector<Entry> &entries() const { return log; }
    int count() const { return log.size(); }

    QStringList lines() const
    {
        QStringList result;
        for (const Entry &entry : log)
            result.append(describe(entry));
        return result;
    }

    // The same lines, each prefixed with the receiver's object name: "popup: MouseButtonPress ...".
    QStringList linesWithReceiver() const
    {
        QStringList result;
        for (const Entry &entry : log)
            result.append(entry.receiverName + QLatin1String(": ") + describe(entry));
        return result;
    }

    static QString describe(const Entry &entry)
    {
        QString line = enumKey<QEvent::Type>(entry.type);
        switch (entry.type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const char *key = QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key);
            line +=
                QLatin1Char(' ') + (key ? QString::fromLatin1(key) : QString::number(entry.key));
            line += QStringLiteral(" \"%1\"").arg(entry.text);
            break;
        }
        case QEvent::ContextMenu:
            line += entry.contextReason == QContextMenuEvent::Mouse
                        ? QStringLiteral(" Mouse")
                        : QStringLiteral(" reason=%1").arg(entry.contextReason);
            line += QStringLiteral(" (%1,%2)").arg(entry.pos.x()).arg(entry.pos.y());
            break;
        default:
            line += QLatin1Char(' ') + buttonKey(entry.button);
            line += QLatin1String(" buttons=") + flagKeys(entry.buttons);
            line += QStringLiteral(" (%1,%2)").arg(entry.pos.x()).arg(entry.pos.y());
            break;
        }
        // Modifiers only when there are any, to keep the common lines short.
        if (entry.modifiers != Qt::NoModifier && entry.type != QEvent::ContextMenu)
            line += QLatin1Char(' ') + flagKeys(entry.modifiers);
        return line;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!recorded.contains(event->type()))
            return false;
        Entry entry;
        entry.receiver = watched;
        entry.receiverName = watched->objectName();
        entry.type = event->type();
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            entry.key = key->key();
            entry.text = key->text();
            entry.modifiers = key->modifiers();
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            entry.button = mouse->button();
            entry.buttons = mouse->buttons();
            entry.modifiers = mouse->modifiers();
            entry.pos = mouse->pos();
            entry.globalPos = mouse->globalPos();
            break;
        }
        case QEvent::ContextMenu: {
            const auto *menu = static_cast<QContextMenuEvent *>(event);
            entry.contextReason = menu->reason();
            entry.modifiers = menu->modifiers();
            entry.pos = menu->pos();
            entry.globalPos = menu->globalPos();
            break;
        }
        default:
            break;
        }
        log.append(entry);
        return false;
    }

private:
    template <typename Enum> static QString enumKey(Enum value)
    {
        const char *key = QMetaEnum::fromType<Enum>().valueToKey(int(value));
        return key ? QString::fromLatin1(key) : QString::number(int(value));
    }

    // One name per button, even where Qt has two (MidButton is MiddleButton).
    static QString buttonKey(Qt::MouseButton button)
    {
        const char *key = QMetaEnum::fromType<Qt::MouseButtons>().valueToKey(int(button));
        return key ? QString::fromLatin1(key) : QString::number(int(button));
    }

    template <typename Flags> static QString flagKeys(Flags value)
    {
        const QByteArray keys = QMetaEnum::fromType<Flags>().valueToKeys(int(value));
        return keys.isEmpty() ? QString::number(int(value)) : QString::fromLatin1(keys);
    }

    QSet<QEvent::Type> recorded;
    QVector<Entry> log;
};
