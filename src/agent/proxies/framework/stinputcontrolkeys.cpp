// The keyboard half of STInputControl: typed characters and pressed keys, each checked on
// its way to the widget it is meant for, and the wait for the keyboard focus before the
// first of them. The mouse half and the waits shared by both are in stinputcontrol.cpp.

#include "stinputcontrol.h"
#include "keyarrival.h"
#include "sterror.h"
#include "protocol/wiretext.h"
#include "qtcompat.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

const char takesNoFocus[] = "Error: widget \"%1\" of class \"%2\" does not take the keyboard "
                            "focus, so its keys would go %3";
const char focusElsewhere[] =
    "Error: the keys for widget \"%1\" of class \"%2\" would go %3, which has the keyboard focus";
const char noActiveWindow[] =
    "Error: the keys for widget \"%1\" of class \"%2\" would go nowhere: its window did not "
    "become active within %3 ms (another application has the keyboard focus)";
const char noFocusWidget[] = "Error: the keys for widget \"%1\" of class \"%2\" would go "
                             "nowhere: no widget of its window has the keyboard focus";
const char activationMissed[] =
    "Error: the keys for widget \"%1\" of class \"%2\" would go nowhere: its window \"%3\" is "
    "active for the window system but not for Qt's widgets, as Qt leaves a window once "
    "resized to no width or height";
const char ownerClosed[] = "Error: the widget that the input was meant for was closed";
const char foreignPopup[] =
    "Error: the keys for widget \"%1\" of class \"%2\" would go into popup \"%3\" of class "
    "\"%4\", which was open before and is none of the widget's own; close it first (Escape)";
const char keyTakenByShortcut[] =
    "Error: widget \"%1\" of class \"%2\" did not receive a key sent to it: the application's "
    "%3 took it (to trigger a shortcut, press its keys with the key request)";
const char keyNotReceived[] =
    "Error: widget \"%1\" of class \"%2\" did not receive a key sent to it (a shortcut or an "
    "event filter of the application took it)";
// While no window of the application is active, the activation is asked for again this
// often: another application may have taken the keyboard after the first request.
const int reactivateMs = 250;

// An X server ignores a focus request stamped before its last change of the focus, and the
// focus changed when a closing dialog's window went: until an event of the server's brings
// Qt a later time, every activation is stamped too early. Our input reaches Qt without the
// server, so no such event may come. Rewriting the title (unchanged) makes the server send
// one, for the activation that follows.
void refreshServerTime(QWidget *window)
{
    if (QWindow *handle = window->windowHandle())
        handle->setTitle(handle->title());
}

// Holds back the repaint requests of one window while installed and posts one when
// removed. Every key a user types makes the widget repaint, and the repaint of a text
// field draws all of its text: typed key by key with events processed in between, a long
// value cost time growing with the square of its length. The application still handles
// every key at once; it only paints the result once. Other windows (a dialog that a key
// opens) paint as usual.
class PaintDeferral : public QObject
{
public:
    explicit PaintDeferral(QWidget *window) : window(window)
    {
        if (window)
            window->installEventFilter(this);
    }
    ~PaintDeferral() override
    {
        if (!window)
            return;
        window->removeEventFilter(this);
        if (held)
            QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest),
                                        Qt::LowEventPriority);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest)
            return false;
        held = true;
        return true;
    }

private:
    QPointer<QWidget> window;
    bool held = false;
};

// A popup is the owner's when the owner opened it for itself: a combo box's list, a
// completer's, a context menu, a menu of the owner's menu bar or window.
bool ownsPopup(const QWidget *owner, const QWidget *popup)
{
    for (const QWidget *parent = popup->parentWidget(); parent; parent = parent->parentWidget()) {
        if (parent == owner)
            return true;
    }
    return false;
}

// A key meant for `owner` may go to the owner, a widget inside it (an item view's editor,
// a spin box's line edit), the widget it hands its focus to, or an open popup, which
// grabs the keyboard as it would a user's keys. A popup that was already open when the
// request began (`earlierPopup`) takes them only when it is the owner's.
bool takesKeysFor(const QWidget *owner, const QWidget *receiver, const QWidget *earlierPopup)
{
    if (!receiver)
        return false;
    if (receiver == owner || owner->isAncestorOf(receiver))
        return true;
    for (const QWidget *proxy = owner->focusProxy(); proxy; proxy = proxy->focusProxy()) {
        if (proxy == receiver)
            return true;
    }
    const QWidget *popup = receiver->window();
    return popup->windowType() == Qt::Popup && (popup != earlierPopup || ownsPopup(owner, popup));
}

bool acceptsFocus(const QWidget *widget)
{
    if (widget->focusPolicy() != Qt::NoFocus)
        return true;
    const QWidget *proxy = widget->focusProxy();
    return proxy && proxy->focusPolicy() != Qt::NoFocus;
}

// "to widget "name" of class "Class" in window "Title"", or "nowhere".
QString whereKeysGo(const QWidget *receiver)
{
    if (!receiver)
        return QStringLiteral("nowhere");
    return QStringLiteral("to widget \"%1\" of class \"%2\" in window \"%3\"")
        .arg(receiver->objectName(), QLatin1String(receiver->metaObject()->className()),
             receiver->window()->windowTitle());
}

// Whether the window system has made the window active while Qt's widgets missed it, so
// that no widget of it gets keys: Qt leaves a window in this state once it was resized to
// no width or height and back. Asking the window system again changes nothing, as it sees
// the window active already; on a desktop it ends when another window takes the focus.
bool missedActivation(const QWidget *window)
{
    // A window that accepts no focus is never active for Qt's widgets, rightly.
    const QWindow *handle = window->windowHandle();
    return handle && !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) &&
           !QApplication::activeWindow() && QGuiApplication::focusWindow() == handle;
}

// Printable ASCII keeps its code (letters as their upper-case key, as on a keyboard);
// anything else has no key of its own and travels by its text only.
int keyForCharacter(QChar c)
{
    const ushort upper = c.toUpper().unicode();
    return upper >= 32 && upper <= 126 ? upper : 0;
}

// The text a keyboard sends with a key: a printable character's own (a letter in lower
// case unless Shift is held), the control characters of Return, Tab, Backspace, Escape and
// Delete, and nothing while Control, Alt or Meta is held or for any other key.
QString keyboardText(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QString();
    if ((key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) ||
        (key >= Qt::Key_nobreakspace && key <= Qt::Key_ydiaeresis)) {
        const QChar c(key);
        return QString(modifiers & Qt::ShiftModifier ? c : c.toLower());
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Delete:
        return QStringLiteral("\x7f");
    default:
        return QString();
    }
}

} // namespace

void STInputControl::charPress(QChar c)
{
    postKey(QEvent::KeyPress, keyForCharacter(c), Qt::NoModifier, QString(c), checkedOwner());
}

void STInputControl::charRelease(QChar c)
{
    postKey(QEvent::KeyRelease, keyForCharacter(c), Qt::NoModifier, QString(c), checkedOwner());
}

void STInputControl::charClick(QChar c)
{
    charPress(c);
    charRelease(c);
}

void STInputControl::textKeyClick(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    postKey(QEvent::KeyPress, key, modifiers, text, checkedOwner());
    postKey(QEvent::KeyRelease, key, modifiers, text, checkedOwner());
}

void STInputControl::keyPress(int key, Qt::KeyboardModifiers modifiers)
{
    postKey(QEvent::KeyPress, key, modifiers, QString(), checkedOwner());
}

void STInputControl::keyRelease(int key, Qt::KeyboardModifiers modifiers)
{
    postKey(QEvent::KeyRelease, key, modifiers, QString(), checkedOwner());
}

void STInputControl::keyClick(int key, Qt::KeyboardModifiers modifiers)
{
    keyPress(key, modifiers);
    keyRelease(key, modifiers);
}

void STInputControl::stepKeyClick(int key, Qt::KeyboardModifiers modifiers)
{
    postKey(QEvent::KeyPress, key, modifiers, QString(), checkedOwner(),
            KeyArrival::AtReceiverOrShortcut);
    postKey(QEvent::KeyRelease, key, modifiers, QString(), checkedOwner(),
            KeyArrival::AtReceiverOrShortcut);
}

// Every key goes through here. Without an owner it goes to the key receiver, or nowhere
// when there is none. With one, it goes only where the owner takes keys (see
// ownersKeyTarget), and while events are flushed its arrival is checked: a key that a
// shortcut or an application-wide filter swallowed fails the request, since the text or
// the step it was meant for did not happen. Unless the key was pressed for its shortcut
// (AtReceiverOrShortcut): then a shortcut that took it is where it was meant to arrive.
// QApplication offers a posted key press to the focus widget's ShortcutOverride and then to
// the shortcut map, as it does a key from the window system; the clicks a shortcut started
// are waited for, as a person's next key comes after them.
void STInputControl::postKey(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                             const QString &text, QWidget *owner, KeyArrival arrival)
{
    flush();
    QWidget *receiver = owner ? ownersKeyTarget(owner) : keyTarget();
    if (!receiver)
        return;
    auto *event = new QKeyEvent(type, key, modifiers, text, false, 1);
    if (!owner || !flushEvents) {
        postInput(receiver, event);
        return;
    }
    const EventArrival atReceiver(receiver, event);
    const ShortcutArrival asShortcut;
    postInput(receiver, event);
    asShortcut.awaitClicks();
    // A receiver that is gone was closed by the key itself (Return on a dialog's field).
    if (!atReceiver.receiver || atReceiver.arrived)
        return;
    if (asShortcut.taken && arrival == KeyArrival::AtReceiverOrShortcut)
        return;
    const QString name = receiver->objectName();
    const QLatin1String className(receiver->metaObject()->className());
    if (asShortcut.taken)
        raiseWith(keyTakenByShortcut, name, className, asShortcut.taker());
    raiseWith(keyNotReceived, name, className);
}

// Where a key for `owner` goes, once the keyboard focus is there.
//
// The click or the raise that comes before the first key asks the window system to
// activate the owner's window, and the window system answers later: on X11 the
// application's focus widget is set only once the server's focus event has arrived,
// which on a loaded machine, or with another application on the same display, can take
// longer than the events processed after the click. Until then the application has no
// focus widget, or one in another window, and a key sent at once would be lost or typed
// elsewhere. So the focus is waited for, with a deadline; while no window of the
// application is active the activation is asked for again, as a user would click into
// the window once more. A focus that the application itself keeps elsewhere in the
// owner's active window (a widget that takes no focus, a handler that moves it) is
// reported at once: waiting would not change it.
QWidget *STInputControl::ownersKeyTarget(QWidget *owner)
{
    // An active window in which nothing has the focus gets its keys itself, from Qt as from
    // a keyboard (its shortcuts work there too): for keys meant for the window itself.
    const auto ownersTarget = [owner] {
        QWidget *receiver = keyTarget();
        return !receiver && QApplication::activeWindow() == owner ? owner : receiver;
    };
    QWidget *receiver = ownersTarget();
    if (takesKeysFor(owner, receiver, earlierPopup))
        return receiver;

    // Asking the window system would not mend a missed activation: the extended mode tells
    // Qt's widgets what the window system already has.
    if (extendedMode() && missedActivation(owner->window()))
        QtCompat::setActiveWindow<QApplication>(owner->window());

    QPointer<QWidget> guard(owner);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    waitUntil(
        [&] {
            if (!guard || takesKeysFor(guard, ownersTarget(), earlierPopup))
                return true;
            QWidget *active = QApplication::activeWindow();
            if (active == guard->window())
                return true;
            if (!active && sinceRequest.elapsed() >= reactivateMs) {
                refreshServerTime(guard->window());
                guard->window()->activateWindow();
                sinceRequest.restart();
            }
            return false;
        },
        inputTimeoutMs());
    if (!guard)
        raiseError(ownerClosed);

    receiver = ownersTarget();
    if (takesKeysFor(owner, receiver, earlierPopup))
        return receiver;
    const QString name = owner->objectName();
    const QLatin1String className(owner->metaObject()->className());
    if (receiver && receiver->window() == earlierPopup) {
        raiseWith(foreignPopup, name, className, receiver->window()->objectName(),
                  QLatin1String(receiver->window()->metaObject()->className()));
    }
    if (missedActivation(owner->window()))
        raiseWith(activationMissed, name, className, owner->window()->windowTitle());
    if (!QApplication::activeWindow())
        raiseWith(noActiveWindow, name, className, QString::number(inputTimeoutMs()));
    if (QApplication::activeWindow() == owner->window() && !acceptsFocus(owner))
        raiseWith(takesNoFocus, name, className, whereKeysGo(receiver));
    if (!receiver)
        raiseWith(noFocusWidget, name, className);
    raiseWith(focusElsewhere, name, className, whereKeysGo(receiver));
}

void STInputControl::typeText(const QString &text)
{
    QWidget *receiver = keyTarget();
    const PaintDeferral deferral(receiver ? receiver->window() : nullptr);
    for (const QChar c : text)
        charClick(c);
}

void STInputControl::typeTextAsKeyboard(const QString &text)
{
    QWidget *receiver = keyTarget();
    const PaintDeferral deferral(receiver ? receiver->window() : nullptr);
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            textKeyClick(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else if (c == QLatin1Char('\t'))
            textKeyClick(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        else
            charClick(c);
    }
}

void STInputControl::pressKeys(const QVector<int> &keys)
{
    QWidget *owner = checkedOwner();
    const QPointer<QWidget> window = owner ? owner->window() : nullptr;
    for (int i = 0; i < keys.size(); ++i) {
        const Qt::KeyboardModifiers modifiers(keys.at(i) & Qt::KeyboardModifierMask);
        int key = keys.at(i) & ~Qt::KeyboardModifierMask;
        // Shift+Tab comes from a keyboard as Backtab with Shift held; a Tab with Shift would
        // move forward in an item view.
        if (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))
            key = Qt::Key_Backtab;
        const QString text = keyboardText(key, modifiers);
        QWidget *keyOwner = owner;
        if (owner && i > 0) {
            if (!window || !window->isVisible())
                raiseError(ownerClosed);
            keyOwner = window;
        }
        postKey(QEvent::KeyPress, key, modifiers, text, keyOwner, KeyArrival::AtReceiverOrShortcut);
        // A release goes wherever the focus is by then, as a keyboard's does: after a Tab
        // to the next widget, after a Return that closed a dialog to the window below.
        postKey(QEvent::KeyRelease, key, modifiers, text, nullptr);
    }
}

void STInputControl::awaitKeyFocus()
{
    if (QWidget *owner = checkedOwner())
        ownersKeyTarget(owner);
}

void STInputControl::focusOwner()
{
    QWidget *owner = checkedOwner();
    if (owner && acceptsFocus(owner) &&
        !takesKeysFor(owner, owner->window()->focusWidget(), earlierPopup))
        owner->setFocus(Qt::OtherFocusReason);
}

void STInputControl::selectField(Qt::KeyboardModifiers extra)
{
    keyClick(Qt::Key_Home, extra);
    keyClick(Qt::Key_End, extra | Qt::ShiftModifier);
}

void STInputControl::clearField(Qt::KeyboardModifiers extra)
{
    selectField(extra);
    keyClick(Qt::Key_Backspace);
}
