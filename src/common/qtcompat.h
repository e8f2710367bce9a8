#pragma once

// The few places where Qt 5.15 and Qt 6 want different code for the same thing, each behind
// one helper so that the rest of the tree reads the same on both. Where one API serves both
// (QVariant::userType() with QMetaType ids, QRegularExpression, QStringView, QWidget::screen(),
// QAbstractSocket::errorOccurred) the code uses it directly and nothing is needed here.

#include <QByteArray>
#include <QKeySequence>
#include <QList>
#include <QMetaType>
#include <QMouseEvent>
#include <QPoint>
#include <QString>
#include <QtGlobal>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

class QWidget;

namespace QtCompat {

// Qt 6 deprecates QMouseEvent::globalPos() for globalPosition(), which Qt 5 lacks.
inline QPoint globalPos(const QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->globalPosition().toPoint();
#else
    return event->globalPos();
#endif
}

// The same for the event's position in its receiver: pos() against position().
inline QPoint localPos(const QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position().toPoint();
#else
    return event->pos();
#endif
}

// Strict UTF-8: the text when `bytes` are whole, valid UTF-8, false otherwise (an invalid
// or cut sequence). QTextCodec is gone from Qt 6's core; QStringDecoder is Qt 6 only.
inline bool decodeUtf8(const QByteArray &bytes, QString *text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Stateless: a sequence cut at the end is an error rather than kept for a next call.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
#else
    QTextCodec::ConverterState state;
    *text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
#endif
}

// A key with modifiers as one key sequence: Qt 6 combines them into a QKeyCombination and
// deprecates the int that Qt 5 takes.
inline QKeySequence keySequence(int key, Qt::KeyboardModifiers modifiers)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(key)));
#else
    return QKeySequence(int(modifiers) | key);
#endif
}

// The i-th key of a sequence as one int of key and modifiers: Qt 6 hands out a
// QKeyCombination, whose int conversion it deprecates; Qt 5 hands out the int.
inline int combinedKey(const QKeySequence &sequence, int i)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return sequence[uint(i)].toCombined();
#else
    return int(sequence[uint(i)]);
#endif
}

// A type's registered name, as QMetaObject::invokeMethod() wants it: Qt 6 deprecates
// QMetaType::typeName(int); QMetaType::fromType<T>().name() is Qt 6's way.
template <typename T> const char *typeName()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QMetaType::fromType<T>().name();
#else
    return QMetaType::typeName(qMetaTypeId<T>());
#endif
}

// The widgets that show an action (menus, menu bars, tool buttons). Qt 6 moved QAction to
// Qt GUI, where it knows objects only, and deprecates associatedWidgets(). A template, so
// that this header needs Qt Widgets only where it is used.
template <typename Action> QList<QWidget *> associatedWidgets(const Action *action)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QList<QWidget *> widgets;
    // auto: dependent on Action, so QWidget need only be complete where this is used.
    const auto objects = action->associatedObjects();
    for (auto *object : objects) {
        if (object->isWidgetType())
            widgets.append(static_cast<QWidget *>(object));
    }
    return widgets;
#else
    return action->associatedWidgets();
#endif
}

// Tells Qt's widgets which window is active, where the window system made it so and they
// missed it. Qt 6.5 deprecates QApplication::setActiveWindow() for activateWindow(), which
// asks the window system instead, and that sees nothing to do. A template (Application is
// QApplication), so that this header needs Qt Widgets only where it is used.
template <typename Application, typename Widget> void setActiveWindow(Widget *window)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    Application::setActiveWindow(window);
    QT_WARNING_POP
}

} // namespace QtCompat
