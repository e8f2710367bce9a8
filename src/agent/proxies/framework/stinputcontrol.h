#pragma once

#include "protocol/wiretext.h"

#include <QEvent>
#include <QPointer>
#include <QVector>
#include <Qt>

#include <functional>

class QChar;
class QObject;
class QPoint;
class QString;
class QWidget;

// Makes the application believe a user moved the mouse and typed: moves the real cursor
// and posts the input events a user would cause to the widget a user would hit.
// Every synthetic event in the agent is built here; proxies only say where and what.
class STInputControl
{
public:
    STInputControl();
    virtual ~STInputControl();

    STInputControl(const STInputControl &) = delete;
    STInputControl &operator=(const STInputControl &) = delete;

    // The buttons that synthetic presses hold and releases let go: a press left without
    // its release makes later moves drags. One state for every proxy of a registry, so
    // that it lasts from one request to the next whichever proxy serves it; an input
    // control on its own keeps its own.
    Qt::MouseButtons heldButtons() const { return *held; }

    // Where a user's mouse event at a global point arrives: the widget under it, or the
    // open popup when the point lies outside it. Null when no application widget is there.
    static QWidget *mouseTarget(const QPoint &globalPos);
    // Where a user's key press arrives: the popup's focus widget (or the popup), else
    // the application's focus widget.
    static QWidget *keyTarget();

    // How long input waits for the window system (the keyboard focus to arrive, a moving
    // widget to come to rest) before the request fails: TESTCLIENT_INPUT_TIMEOUT_MS in the
    // application's environment, 5000 unless set.
    static int inputTimeoutMs();

    // Processes events, socket notifications excluded, until `condition` holds or
    // `timeoutMs` has passed; true when it holds. Never blocks in the event dispatcher:
    // a blocking wait would look like an event loop of the application's own.
    static bool waitUntil(const std::function<bool()> &condition, int timeoutMs);

protected:
    // The widget that the current request's input is meant for. Keys then go only to it,
    // a widget inside it or an open popup, and clicks only into its window or a popup;
    // anything else fails the request instead of typing or clicking elsewhere. Null, the
    // default, leaves input to the plain rules: it goes wherever a user's would.
    virtual QWidget *inputOwner() const;

    // While one exists, input follows the plain rules: it goes wherever a user's would and
    // nothing is checked. For the clean-up after a failure (the Escapes that close the
    // menus a walk opened), which must neither fail again nor hide the first failure.
    class UncheckedInput
    {
    public:
        explicit UncheckedInput(STInputControl *input) : input(input), saved(input->checked)
        {
            input->checked = false;
        }
        ~UncheckedInput() { input->checked = saved; }
        UncheckedInput(const UncheckedInput &) = delete;
        UncheckedInput &operator=(const UncheckedInput &) = delete;

    private:
        STInputControl *input;
        bool saved;
    };

    void flush();
    void postInput(QObject *receiver, QEvent *event);

    void mouseMove(const QPoint &globalPos, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void mousePress(Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void mouseRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void mouseClick(const QPoint &globalPos, Qt::MouseButton button,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A left click at a point computed from `aim` (a part of it, its centre): the press
    // must reach `aim` or a widget inside it (or an open popup, which takes every click),
    // else nothing is clicked and the request fails, naming the widget that would have
    // got the click. A point outside every window of the application fails as mouseClick.
    void aimedClick(const QWidget *aim, const QPoint &globalPos);
    void mouseDoubleClick(const QPoint &globalPos, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    void charPress(QChar c);
    void charRelease(QChar c);
    void charClick(QChar c);
    // A key that also types text, as a keyboard sends it: some receivers read both (an item
    // view selects on Space and then searches for the typed text; without the text it would
    // search for nothing and move on to the next item).
    void textKeyClick(int key, Qt::KeyboardModifiers modifiers, const QString &text);
    void keyPress(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void keyRelease(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void keyClick(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A navigation key whose effect the caller checks (the item it makes current): a
    // shortcut of the application that takes it has done the step, as programs that bind
    // the arrow keys of a view to moves of their own do.
    void stepKeyClick(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void typeText(const QString &text);
    // The same as a keyboard types it: a line feed as Return, a tab as Tab (which the
    // widget may take to move the focus), for the extended mode's typing into editors.
    void typeTextAsKeyboard(const QString &text);

    // Keys pressed for what they do rather than for their text: Return, F5, Ctrl+S. Each
    // key, with its modifiers (QKeySequence's form), is pressed and released, carrying the
    // text a keyboard sends with it. The first key goes to the owner; the following ones
    // wherever the focus is in the owner's window by then, since a key may move it (Tab). A
    // key that a shortcut of the application took has arrived as well: it was meant to.
    void pressKeys(const QVector<int> &keys);

    // Waits until keys would reach the owner, as its first key does, and fails as that key
    // would: for a request that must not leave the owner without the focus, typed text or
    // not. Nothing without an owner.
    void awaitKeyFocus();
    // Gives the owner the keyboard focus, as Tab would, where neither it nor a widget
    // inside it has the focus of its window; for keys that are pressed without a click. An
    // owner that takes no focus is left to fail at its first key.
    void focusOwner();

    // Selects the whole text of the focused field as a user does from the keyboard: Home,
    // then Shift+End. Extra modifiers go with both keys (Control for a multi-line editor,
    // so that the keys reach the ends of the document, not of the line).
    void selectField(Qt::KeyboardModifiers extra = Qt::NoModifier);
    // selectField, then Backspace: the field is empty before new text is typed.
    void clearField(Qt::KeyboardModifiers extra = Qt::NoModifier);

    // When false, flush() does nothing, so a whole sequence is queued before any of it
    // is handled. Cleared just before a proxy's last input step; the registry sets it
    // again before every activate, enter and mouse request.
    bool flushEvents = true;
    // The popup that was open when the request began, if any: keys for the owner go into it
    // only when it is the owner's own (its list, its menu). The registry notes it before
    // every activate, enter and mouse request; a popup the request opens itself is not it.
    QPointer<QWidget> earlierPopup;
    // The agent's mode: the registry that holds the proxy sets it once, when it is made.
    WireText::Mode mode = WireText::Mode::Plain;
    bool extendedMode() const { return mode == WireText::Mode::Extended; }

    friend class STApplicationProxy;
    // Carries out a mouse command with the moves, presses and clicks above.
    friend class MouseCommand;

private:
    QPointer<QWidget> postButtonEvent(QEvent::Type type, Qt::MouseButton button,
                                      Qt::KeyboardModifiers modifiers);
    QWidget *checkedMouseTarget(const QPoint &globalPos);
    QWidget *clickTarget(const QPoint &globalPos) const;
    // Whether a key also arrives where the application dispatches it as a shortcut.
    enum class KeyArrival { AtReceiver, AtReceiverOrShortcut };
    // Posts one key meant for `owner`; without one it goes unchecked.
    void postKey(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString &text,
                 QWidget *owner, KeyArrival arrival = KeyArrival::AtReceiver);
    QWidget *ownersKeyTarget(QWidget *owner);
    // The owner whose input is checked: none while an UncheckedInput exists.
    QWidget *checkedOwner() const { return checked ? inputOwner() : nullptr; }

    bool checked = true;

    Qt::MouseButtons ownButtons = Qt::NoButton;
    Qt::MouseButtons *held = &ownButtons; // the registry's, once it holds this proxy
};
