#pragma once

#include "qtcompat.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVector>

#include <utility>

// Logs the input events that the watched objects receive, so that a test can assert the
// exact sequence a user would have produced; by default mouse buttons, mouse moves,
// context-menu requests and keys. A filter only: it never swallows an event. Watch the
// widget itself, not its window: posted input goes straight to the widget.
class EventRecorder : public QObject
{
public:
    struct Entry
    {
        QPointer<QObject> receiver;
        QEvent::Type type = QEvent::None;
        int key = 0;
        QString text;
        Qt::MouseButton button = Qt::NoButton;
        Qt::MouseButtons buttons = Qt::NoButton;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        QPoint pos;
        int contextReason = -1;
    };

    explicit EventRecorder(QSet<QEvent::Type> types = {QEvent::MouseButtonPress,
                                                       QEvent::MouseButtonRelease,
                                                       QEvent::MouseButtonDblClick,
                                                       QEvent::MouseMove, QEvent::ContextMenu,
                                                       QEvent::KeyPress, QEvent::KeyRelease})
        : recorded(std::move(types))
    {
    }

    void watch(QObject *object) { object->installEventFilter(this); }
    void clear() { log.clear(); }
    const QVector<Entry> &entries() const { return log; }
    int count() const { return log.size(); }

    // One line per event, with the modifiers when there are any:
    //   MouseButtonPress LeftButton buttons=LeftButton (49,24) ShiftModifier
    //   KeyPress Key_A "a"
    //   ContextMenu Mouse (5,5)
    QStringList lines() const
    {
        QStringList result;
        for (const Entry &entry : log)
            result.append(describe(entry));
        return result;
    }

    static QString describe(const Entry &entry)
    {
        QString line = name<QEvent::Type>(entry.type);
        if (entry.type == QEvent::KeyPress || entry.type == QEvent::KeyRelease) {
            line += QStringLiteral(" %1 \"%2\"").arg(name<Qt::Key>(entry.key), entry.text);
        } else {
            if (entry.type == QEvent::ContextMenu)
                line += entry.contextReason == QContextMenuEvent::Mouse ? " Mouse" : " Other";
            else
                line += ' ' + name<Qt::MouseButtons>(entry.button) +
                        " buttons=" + name<Qt::MouseButtons>(entry.buttons, true);
            line += QStringLiteral(" (%1,%2)").arg(entry.pos.x()).arg(entry.pos.y());
        }
        if (entry.modifiers != Qt::NoModifier)
            line += ' ' + name<Qt::KeyboardModifiers>(entry.modifiers, true);
        return line;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!recorded.contains(event->type()))
            return false;
        Entry entry;
        entry.receiver = watched;
        entry.type = event->type();
        if (const auto *key = dynamic_cast<QKeyEvent *>(event)) {
            entry.key = key->key();
            entry.text = key->text();
            entry.modifiers = key->modifiers();
        } else if (const auto *mouse = dynamic_cast<QMouseEvent *>(event)) {
            entry.button = mouse->button();
            entry.buttons = mouse->buttons();
            entry.modifiers = mouse->modifiers();
            entry.pos = QtCompat::localPos(mouse);
        } else if (const auto *menu = dynamic_cast<QContextMenuEvent *>(event)) {
            entry.pos = menu->pos();
            entry.contextReason = menu->reason();
        }
        log.append(entry);
        return false;
    }

private:
    // The name of a value, or its number where the enumeration has none (key 0).
    template <typename Enum> static QString name(int value, bool flags = false)
    {
        const QMetaEnum meta = QMetaEnum::fromType<Enum>();
        const QByteArray names =
            flags ? meta.valueToKeys(value) : QByteArray(meta.valueToKey(value));
        return names.isEmpty() ? QString::number(value) : QString::fromLatin1(names);
    }

    QSet<QEvent::Type> recorded;
    QVector<Entry> log;
};
