#include "stinputcontrol.h"
#include "sterror.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

const char HiddenByAnotherWindow[] = "Error: widget is hidden by another window";

// Swallows one kind of event while installed. Used during a drag: moving the real
// cursor makes the window system send its own move event, without our held buttons;
// it must not reach the widget before (and contradict) the synthetic drag move.
class EventKiller : public QObject
{
public:
    explicit EventKiller(int killedType) : killedType(killedType) {}

    bool eventFilter(QObject *, QEvent *event) override { return event->type() == killedType; }

    int killedType;
};

// A user's click gives focus to a widget that takes focus by clicking, directly or
// through its focus proxy.
bool takesClickFocus(const QWidget *widget)
{
    if (widget->focusPolicy() & Qt::ClickFocus)
        return true;
    const QWidget *proxy = widget->focusProxy();
    return proxy && (proxy->focusPolicy() & Qt::ClickFocus);
}

QMouseEvent *newMouseEvent(QEvent::Type type, QWidget *receiver, const QPoint &globalPos,
                           Qt::MouseButton button, Qt::MouseButtons buttons,
                           Qt::KeyboardModifiers modifiers)
{
    const QPointF local(receiver->mapFromGlobal(globalPos));
    const QPointF inWindow(receiver->window()->mapFromGlobal(globalPos));
    return new QMouseEvent(type, local, inWindow, QPointF(globalPos), button, buttons, modifiers);
}

// Printable ASCII keeps its code (letters as their upper-case key, as on a keyboard);
// anything else has no key of its own and travels by its text only.
int keyForCharacter(QChar c)
{
    const ushort upper = c.toUpper().unicode();
    return upper >= 32 && upper <= 126 ? upper : 0;
}

} // namespace

Qt::MouseButtons STInputControl::pressedButtons = Qt::NoButton;

STInputControl::STInputControl() = default;

STInputControl::~STInputControl() = default;

QWidget *STInputControl::mouseTarget(const QPoint &globalPos)
{
    QWidget *under = QApplication::widgetAt(globalPos);
    QWidget *popup = QApplication::activePopupWidget();
    if (!popup)
        return under;
    // An open popup grabs the mouse: a click outside it goes to the popup, which closes.
    if (under && under->window() == popup)
        return under;
    return popup;
}

QWidget *STInputControl::keyTarget()
{
    // An open popup grabs the keyboard as well.
    if (QWidget *popup = QApplication::activePopupWidget()) {
        QWidget *focus = popup->focusWidget();
        return focus ? focus : popup;
    }
    return QApplication::focusWidget();
}

void STInputControl::flush()
{
    if (!flushEvents || !QCoreApplication::instance())
        return;
    // Socket notifications stay queued: the next request must not start while this one
    // is still being served.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

void STInputControl::postInput(QObject *receiver, QEvent *event)
{
    QPointer<QObject> guard(receiver);
    flush();
    if (!guard) {
        // The receiver went away while earlier input was handled.
        delete event;
        return;
    }
    QCoreApplication::postEvent(receiver, event, Qt::NormalEventPriority);
    flush();
}

void STInputControl::mouseMove(const QPoint &globalPos, Qt::KeyboardModifiers modifiers)
{
    flush();
    if (QCursor::pos() == globalPos)
        return;
    QCursor::setPos(globalPos);
    QPointer<QWidget> receiver = mouseTarget(globalPos);
    if (!receiver)
        raiseError(HiddenByAnotherWindow);

    if (pressedButtons != Qt::NoButton) {
        EventKiller killer(QEvent::MouseMove);
        receiver->installEventFilter(&killer);
        flush();
        if (receiver) {
            receiver->removeEventFilter(&killer);
            postInput(receiver, newMouseEvent(QEvent::MouseMove, receiver, globalPos, Qt::NoButton,
                                              pressedButtons, modifiers));
        }
    }
    flush();
}

QPointer<QWidget> STInputControl::postButtonEvent(QEvent::Type type, Qt::MouseButton button,
                                                  Qt::KeyboardModifiers modifiers)
{
    // Presses and releases act where the last move left the cursor.
    const QPoint globalPos = QCursor::pos();
    QPointer<QWidget> receiver = mouseTarget(globalPos);
    if (!receiver)
        raiseError(HiddenByAnotherWindow);
    postInput(receiver,
              newMouseEvent(type, receiver, globalPos, button, pressedButtons, modifiers));
    return receiver;
}

void STInputControl::mousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    pressedButtons |= button;
    const QPointer<QWidget> receiver = postButtonEvent(QEvent::MouseButtonPress, button, modifiers);
    if (!receiver)
        return;
    receiver->activateWindow();
    if (takesClickFocus(receiver))
        receiver->setFocus(Qt::OtherFocusReason);
}

void STInputControl::mouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    pressedButtons &= ~button;
    const QPoint globalPos = QCursor::pos();
    const QPointer<QWidget> receiver =
        postButtonEvent(QEvent::MouseButtonRelease, button, modifiers);
    // Events posted straight to a widget bypass the window system, which would otherwise
    // turn a right click into a context-menu request; do its part here.
    if (button == Qt::RightButton && receiver) {
        postInput(receiver,
                  new QContextMenuEvent(QContextMenuEvent::Mouse,
                                        receiver->mapFromGlobal(globalPos), globalPos, modifiers));
    }
}

void STInputControl::mouseClick(const QPoint &globalPos, Qt::MouseButton button,
                                Qt::KeyboardModifiers modifiers)
{
    mouseMove(globalPos, Qt::NoModifier);
    mousePress(button, modifiers);
    mouseRelease(button, modifiers);
}

void STInputControl::mouseDoubleClick(const QPoint &globalPos, Qt::MouseButton button,
                                      Qt::KeyboardModifiers modifiers)
{
    mouseClick(globalPos, button, modifiers);
    flush();
    // The first click may have closed the widget's window; then there is nothing left
    // to double-click, which is not an error.
    QPointer<QWidget> receiver = mouseTarget(globalPos);
    if (!receiver)
        return;
    postInput(receiver, newMouseEvent(QEvent::MouseButtonDblClick, receiver, globalPos, button,
                                      button, modifiers));
    if (receiver && takesClickFocus(receiver)) {
        receiver->activateWindow();
        receiver->setFocus(Qt::OtherFocusReason);
        flush();
    }
}

void STInputControl::charPress(QChar c)
{
    flush();
    if (QWidget *receiver = keyTarget()) {
        postInput(receiver, new QKeyEvent(QEvent::KeyPress, keyForCharacter(c), Qt::NoModifier,
                                          QString(c), false, 1));
    }
}

void STInputControl::charRelease(QChar c)
{
    flush();
    if (QWidget *receiver = keyTarget()) {
        postInput(receiver, new QKeyEvent(QEvent::KeyRelease, keyForCharacter(c), Qt::NoModifier,
                                          QString(c), false, 1));
    }
}

void STInputControl::charClick(QChar c)
{
    charPress(c);
    charRelease(c);
}

void STInputControl::textKeyClick(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        flush();
        if (QWidget *receiver = keyTarget())
            postInput(receiver, new QKeyEvent(type, key, modifiers, text, false, 1));
    }
}

void STInputControl::keyPress(int key, Qt::KeyboardModifiers modifiers)
{
    flush();
    if (QWidget *receiver = keyTarget())
        postInput(receiver, new QKeyEvent(QEvent::KeyPress, key, modifiers, QString(), false, 1));
}

void STInputControl::keyRelease(int key, Qt::KeyboardModifiers modifiers)
{
    flush();
    if (QWidget *receiver = keyTarget())
        postInput(receiver, new QKeyEvent(QEvent::KeyRelease, key, modifiers, QString(), false, 1));
}

void STInputControl::keyClick(int key, Qt::KeyboardModifiers modifiers)
{
    keyPress(key, modifiers);
    keyRelease(key, modifiers);
}

void STInputControl::typeText(const QString &text)
{
    for (const QChar c : text)
        charClick(c);
}
