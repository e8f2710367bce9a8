#pragma once

#include "agentrequests.h"
#include "quickrecorder.h"
#include "recordedstep.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QAbstractItemView;
class QAction;
class QComboBox;
class QKeyEvent;
class QMenu;
class QModelIndex;
class QMouseEvent;
class QWheelEvent;

// Turns what a person does in the application into the requests that would do the same
// (the extended mode): a click on a button becomes an activate, text typed into a field
// one enter with the text it ends with, a combo box item, a tab or a menu item chosen the
// activate that chooses it (a menu bar's path, or an open context menu's after the right
// click that opened it), a click on a view's item or the navigation keys moving in a view
// the activate that makes the item current (with the view's mouse command for a double or
// right click), text typed into a view's cell editor the view's enter of that cell, a
// slider dragged or a spin box, slider or combo box turned by the wheel, a checkable group
// box's title or a tool box's page header clicked the activate or enter to the value,
// state or page it ends at, Return, Escape, Tab and shortcuts the key request on the
// widget with the focus, any other click a mouse command at the same place in the widget.
// What it cannot replay (a selection extended, a scroll area scrolled) is a comment step.
//
// The work is split by job: the event watcher (sessionrecorderevents.cpp) tells a
// person's input from the agent's and from the copies a widget's parents receive; the
// intent resolvers for the mouse (sessionrecordermouse.cpp), the keys
// (sessionrecorderkeys.cpp) and the wheel and cell editors (sessionrecorderedits.cpp)
// decide what the person meant; the step makers (recordedstep.h) write each kind of step;
// this file keeps the steps.
//
// While recording it watches every event of the application through an application-wide
// event filter that only looks: it never filters an event out, moves no focus, and for the
// events it does not record costs one switch on the event type. Only input that came from
// the window system (spontaneous events) outside the agent's own requests is the user's:
// the agent's input is posted, never spontaneous, and a request's side effects happen
// while the agent's AgentRequests counts it.
class SessionRecorder : public QObject
{
    Q_OBJECT

public:
    using Step = RecordedStep;

    // Reads the agent's requests (owned by its dispatcher, which outlives the recorder).
    explicit SessionRecorder(const AgentRequests &requests, QObject *parent = nullptr);
    ~SessionRecorder() override;

    void start();
    void stop();
    bool isRecording() const { return recording; }

    // The steps so far, in order; the text being typed into a field is the last one.
    QVector<Step> steps();

    // Called before each request of the agent is served: the text typed so far becomes a
    // step (the request may change the field), and a combo box list the user left open
    // is forgotten, so that the request's choice in it is not taken for the user's.
    void agentRequestStarts();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Target = RecordTarget;

    // Events other than input that tell what input did: shortcuts offered and triggered,
    // menus shown, fields left.
    void otherEventSeen(QObject *watched, QEvent *event);
    void mouseSeen(QWidget *receiver, QMouseEvent *event);
    // Whether the event is the one just handled, passed on to a parent of its receiver.
    bool isParentCopy(const QKeyEvent *event, QWidget *receiver);

    // Ends the text being typed into a field as a step of its own: the text it shows, or
    // the text it showed before a key took it away.
    void flushTyping();
    void endTyping(const QString &text);
    void startTyping(QWidget *field);
    QVector<Step> typingSteps(const QString &text) const;

    // The field being typed into (for a view's cell editor, the view and its cell), with
    // the text it had before.
    struct Typing
    {
        Target target;
        QPointer<QWidget> field;
        QPersistentModelIndex cell;
        QString startText;
    };

    // A press that the matching release turns into a step: an activate on a button, a
    // mouse command on anything else.
    struct Press
    {
        Target target;
        bool onButton = false;
        // A checkable group box's title, or a slider: what the release leaves it at.
        bool onGroupTitle = false;
        bool onSlider = false;
        Qt::MouseButton button = Qt::NoButton;
        Qt::KeyboardModifiers modifiers;
        QPoint pos; // in the target
    };

    void mousePressed(QWidget *receiver, QMouseEvent *event);
    bool pressedOnControl(QWidget *receiver, QMouseEvent *event);
    void tabPressed(QWidget *bar, QMouseEvent *event);
    void mouseReleased(QWidget *receiver, QMouseEvent *event);
    void dragged(const Press &pressed, QWidget *receiver, QMouseEvent *event);
    void mouseDoubleClicked(QWidget *receiver, QMouseEvent *event);
    void keyPressed(QWidget *receiver, QKeyEvent *event);
    // Return, Escape and Tab outside text fields, Return confirming a one-line field, and
    // shortcuts (keys with Control or Alt) become the key request on the widget with the
    // focus; in a text field only those that reach no key press of the field (a shortcut of
    // the program took them), after the text typed before them.
    void shortcutOffered(QWidget *receiver, QKeyEvent *event);
    void shortcutTaken();
    void keyReleased(QKeyEvent *event);
    // A key that no text field gets: Space on a button, keys that confirm, cancel or move on.
    void keyOutsideFields(QWidget *receiver, QKeyEvent *event);
    // A key in a field: typing, or Return that confirms or breaks a line.
    void keyInField(QWidget *receiver, QWidget *field, QKeyEvent *event);
    // Return in a multi-line field: typed as a line break when the field then reads so, else
    // taken by the program (it sent or cleared the text), which is the key request after
    // the text the field had.
    void multiLineReturnPressed(QWidget *receiver, QWidget *field, QKeyEvent *event);
    void multiLineReturnEnded();
    // Shift and navigation keys that extend a view's selection: a comment step.
    void selectionExtended(QAbstractItemView *view, QKeyEvent *event);
    void appendKey(QWidget *receiver, QKeyEvent *event);
    void appendKeys(const Target &target, const QString &keys);
    // The keys as the key request reads them ("Ctrl+S", "Shift+Tab").
    static QString keyText(int key, Qt::KeyboardModifiers modifiers);
    // A press on an item of a view: the activate that makes it current, and for the right
    // button the view's mouse command on its current item.
    void itemPressed(QAbstractItemView *view, const QModelIndex &index, QWidget *receiver,
                     QMouseEvent *event);
    void appendItemMouse(const Target &target, int action, QWidget *receiver, QMouseEvent *event);
    // The item a view's navigation keys (arrows, Home, End, page keys) made current, once
    // the key is released: the activate of that item. Keys that go on moving in the same
    // view change that step rather than adding one per key.
    void navigationEnded();
    // The item of a menu chosen by the user: the path the menu bar or the open popup
    // menu is driven with, and the check state the item ends in.
    void menuItemChosen(QMenu *menu, QAction *item);
    // A context menu shown right after the right press that opened it: the press is the
    // click that opens it again, as its release lands in the menu.
    void menuShown(QMenu *menu);
    void watchCombo(QComboBox *combo);
    void comboActivated(int index);
    // The mouse wheel on a spin box, slider or combo box: the value it ends at; on a scroll
    // area, a comment step.
    void wheelTurned(QWidget *receiver, QWheelEvent *event);
    // A key in a view's cell editor that ends the edit: Return commits it, Escape drops it.
    bool cellEditorKey(QKeyEvent *event);

    int append(const Step &step);
    // Decides the addresses not decided yet: of every step, or of those in what is about to
    // go (a widget, or a window's handle as the window hides, while its widgets still show).
    void resolvePending(const QObject *going);
    void recordButton(const Press &pressed);
    // A step whose last value is read once the widget has handled the input.
    enum class Settle { State, Value, Wheel };
    void appendUnsettled(const Step &step, QObject *changed, Settle kind);
    void settle();

    const AgentRequests &agentRequests;
    bool recording = false;
    QVector<Step> recorded;
    // The steps in Qt Quick scenes.
    QuickRecorder quick;
    int firstPending = 0; // the first step whose address is not decided yet
    QTimer pendingTimer;
    Typing typing;
    Press press;
    // The checkable button, group box or menu item whose step still shows the state
    // foreseen for it, or the slider or wheel step that waits for the value it ends at.
    struct Unsettled
    {
        int index = -1;
        QPointer<QObject> changed;
        Settle kind = Settle::State;
        QString before; // a wheel's value before it turned
    };
    Unsettled unsettled;
    // The last mouse command recorded, which a double click turns into one.
    int lastClickStep = -1;
    QPointer<QWidget> lastClickWidget;
    // The last mouse or wheel event handled: the copies a widget's parents receive of one
    // that it ignored carry the same type, time and position, and must not count again.
    int lastMouseType = 0;
    ulong lastMouseTime = 0;
    QPoint lastMouseGlobal;
    // The widget the last wheel step is on: further turns change that step.
    QPointer<QWidget> wheeled;
    int wheelStep = -1;
    // The menu the last press was in: a menu chooses an item only on a release that
    // follows a press in it.
    QPointer<QMenu> pressedMenu;
    // The last key event handled, to tell the copies its receiver's parents get.
    const void *lastKeyEvent = nullptr;
    int lastKeyType = 0;
    QPointer<QWidget> lastKeyReceiver;
    // A shortcut offered for the key being pressed, with the widget it was pressed on: the
    // user's when the window system releases the key.
    struct Shortcut
    {
        Target target;
        int key = 0;
        QString keys;
        // A key without Control or Alt outside text fields (a calculator's digits): a step
        // only when a shortcut takes it, else the widget's own key.
        bool plain = false;
    };
    Shortcut pendingShortcut;
    // Return pressed in a multi-line field, with the text before it and the text a line
    // break would leave.
    struct FieldReturn
    {
        Target target;
        QPointer<QWidget> field;
        QString before;
        QString lineBroken;
        QString keys;
    };
    FieldReturn fieldReturn;
    // The combo box whose list the user opened, taken before a choice changes its text.
    Target openCombo;
    // The view a navigation key was pressed in, and the step its last navigation made.
    QPointer<QAbstractItemView> navigatedView;
    int navigationStep = -1;
};
