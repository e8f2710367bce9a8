#include "stinputcontrol.h"
#include "sterror.h"
#include "protocol/wiretext.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QWidget>

namespace {

const char hiddenByAnotherWindow[] = "Error: widget is hidden by another window";
const char coveredByWindow[] =
    "Error: widget \"%1\" of class \"%2\" is covered by window \"%3\" where it was aimed at";
const char missedAim[] = "Error: the click aimed at widget \"%1\" of class \"%2\" would reach "
                         "widget \"%3\" of class \"%4\" instead";

const char inputTimeoutVariable[] = "TESTCLIENT_INPUT_TIMEOUT_MS";
const int defaultInputTimeoutMs = 5000;
// While waiting, the GUI thread sleeps this long between rounds of events, so that the
// window system (on a loaded machine the X server itself) gets the processor.
const unsigned long waitPollUs = 500;

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

// A click meant for `owner` may land in the owner's window, or in an open popup, which
// takes every click while it is open.
bool takesClicksFor(const QWidget *owner, const QWidget *receiver)
{
    const QWidget *window = receiver->window();
    return window == owner->window() || window->windowType() == Qt::Popup;
}

QMouseEvent *newMouseEvent(QEvent::Type type, QWidget *receiver, const QPoint &globalPos,
                           Qt::MouseButton button, Qt::MouseButtons buttons,
                           Qt::KeyboardModifiers modifiers)
{
    const QPointF local(receiver->mapFromGlobal(globalPos));
    const QPointF inWindow(receiver->window()->mapFromGlobal(globalPos));
    return new QMouseEvent(type, local, inWindow, QPointF(globalPos), button, buttons, modifiers);
}

} // namespace

STInputControl::STInputControl() = default;

STInputControl::~STInputControl() = default;

QWidget *STInputControl::inputOwner() const
{
    return nullptr;
}

int STInputControl::inputTimeoutMs()
{
    static const int timeout = [] {
        bool ok = false;
        const int value = qEnvironmentVariableIntValue(inputTimeoutVariable, &ok);
        return ok && value >= 0 ? value : defaultInputTimeoutMs;
    }();
    return timeout;
}

bool STInputControl::waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() >= timeoutMs || !QCoreApplication::instance())
            return false;
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
        if (condition())
            return true;
        QThread::usleep(waitPollUs);
    }
    return true;
}

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

// Where a click of the current request at a global point arrives. On a platform that stacks
// no windows (the headless one puts every window at the origin and ignores raise()), the
// window the request works on is the one on top, as raising it makes it on a desktop:
// unless a popup is open or a modal dialog blocks that window, which keep their say.
QWidget *STInputControl::clickTarget(const QPoint &globalPos) const
{
    static const bool unstacked = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                                  QGuiApplication::platformName() == QLatin1String("minimal");
    QWidget *under = mouseTarget(globalPos);
    const QWidget *owner = checkedOwner();
    if (!unstacked || !under || !owner || takesClicksFor(owner, under))
        return under;
    QWidget *window = owner->window();
    const QWidget *modal = QApplication::activeModalWidget();
    if (!window->isVisible() || (modal && modal != window) ||
        !QRect(window->mapToGlobal(QPoint(0, 0)), window->size()).contains(globalPos))
        return under;
    QWidget *child = window->childAt(window->mapFromGlobal(globalPos));
    return child ? child : window;
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
    // A drag may end over any window; only an aim is checked.
    QPointer<QWidget> receiver =
        *held == Qt::NoButton ? checkedMouseTarget(globalPos) : clickTarget(globalPos);
    if (!receiver)
        raiseError(hiddenByAnotherWindow);

    if (*held != Qt::NoButton) {
        EventKiller killer(QEvent::MouseMove);
        receiver->installEventFilter(&killer);
        flush();
        if (receiver) {
            receiver->removeEventFilter(&killer);
            postInput(receiver, newMouseEvent(QEvent::MouseMove, receiver, globalPos, Qt::NoButton,
                                              *held, modifiers));
        }
    }
    flush();
}

// The receiver of a click aimed at a global point. When the point lies in another window
// than the one the input is meant for, the click would land there: that fails instead.
QWidget *STInputControl::checkedMouseTarget(const QPoint &globalPos)
{
    QWidget *receiver = clickTarget(globalPos);
    const QWidget *owner = checkedOwner();
    if (receiver && owner && !takesClicksFor(owner, receiver)) {
        raiseWith(coveredByWindow, owner->objectName(),
                  QLatin1String(owner->metaObject()->className()),
                  receiver->window()->windowTitle());
    }
    return receiver;
}

QPointer<QWidget> STInputControl::postButtonEvent(QEvent::Type type, Qt::MouseButton button,
                                                  Qt::KeyboardModifiers modifiers)
{
    // Presses and releases act where the last move left the cursor.
    const QPoint globalPos = QCursor::pos();
    QPointer<QWidget> receiver =
        type == QEvent::MouseButtonPress ? checkedMouseTarget(globalPos) : clickTarget(globalPos);
    if (!receiver)
        raiseError(hiddenByAnotherWindow);
    postInput(receiver, newMouseEvent(type, receiver, globalPos, button, *held, modifiers));
    return receiver;
}

void STInputControl::mousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    *held |= button;
    const QPointer<QWidget> receiver = postButtonEvent(QEvent::MouseButtonPress, button, modifiers);
    if (!receiver)
        return;
    receiver->activateWindow();
    if (takesClickFocus(receiver))
        receiver->setFocus(Qt::OtherFocusReason);
}

void STInputControl::mouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    *held &= ~button;
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

void STInputControl::aimedClick(const QWidget *aim, const QPoint &globalPos)
{
    QPointer<const QWidget> aimed(aim);
    mouseMove(globalPos, Qt::NoModifier);
    // An aim that went away meanwhile is left to the proxy, which finds its widget gone.
    const QWidget *receiver = clickTarget(globalPos);
    if (aimed && checked && receiver && receiver != aimed && !aimed->isAncestorOf(receiver) &&
        receiver->window()->windowType() != Qt::Popup) {
        raiseWith(missedAim, aimed->objectName(), QLatin1String(aimed->metaObject()->className()),
                  receiver->objectName(), QLatin1String(receiver->metaObject()->className()));
    }
    mousePress(Qt::LeftButton, Qt::NoModifier);
    mouseRelease(Qt::LeftButton, Qt::NoModifier);
}

void STInputControl::mouseDoubleClick(const QPoint &globalPos, Qt::MouseButton button,
                                      Qt::KeyboardModifiers modifiers)
{
    mouseClick(globalPos, button, modifiers);
    flush();
    // The first click may have closed the widget's window; then there is nothing left
    // to double-click, which is not an error. Whatever now lies under the point is
    // not what was clicked.
    QPointer<QWidget> receiver = clickTarget(globalPos);
    const QWidget *owner = checkedOwner();
    if (!receiver || (owner && !takesClicksFor(owner, receiver)))
        return;
    postInput(receiver, newMouseEvent(QEvent::MouseButtonDblClick, receiver, globalPos, button,
                                      button, modifiers));
    if (receiver && takesClickFocus(receiver)) {
        receiver->activateWindow();
        receiver->setFocus(Qt::OtherFocusReason);
        flush();
    }
}
