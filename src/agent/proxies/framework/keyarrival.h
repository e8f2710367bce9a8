#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QVector>

class QAbstractButton;
class QEvent;
class QWidget;

// Where one posted key went, for STInputControl's checks of its keys: to the widget it was
// posted to, or to a shortcut of the application. Each watcher notes its part of the way
// while it exists.

// Notes whether one posted event reached its receiver. Installed last, it sees the event
// after the application's own filters of the whole application, before the receiver's.
class EventArrival : public QObject
{
public:
    EventArrival(QWidget *receiver, const QEvent *event);
    ~EventArrival() override;

    bool eventFilter(QObject *, QEvent *delivered) override;

    QPointer<QWidget> receiver;
    const QEvent *event;
    bool arrived = false;
};

// Notes whether the application dispatched a shortcut while it is installed on the
// application. A key pressed for its shortcut (Ctrl+S) goes from Qt's shortcut map to the
// QShortcut or QAction as a shortcut event, and the widget it was posted to gets it only
// when the map does not tell Qt that it was taken.
class ShortcutArrival : public QObject
{
public:
    ShortcutArrival();
    ~ShortcutArrival() override;

    bool eventFilter(QObject *receiver, QEvent *event) override;

    // A button clicked by a shortcut (its own, or one whose slot is the button's
    // animateClick) goes down at once and is clicked 100 ms later, sooner than a person's
    // next key or look. This waits for those clicks, up to the input deadline, so that what
    // follows sees their result, and the key pressed again clicks again instead of
    // restarting the first click's timer.
    void awaitClicks() const;

    // "shortcut Ctrl+K of action "Show Keypad"", for a message; the key request presses keys
    // for their shortcuts.
    QString taker() const;

    bool taken = false;
    QPointer<QObject> takenBy;
    QKeySequence sequence;

private:
    // The buttons of the active window that were up when the shortcut came: one that is
    // down after it was pressed by it (a button the mouse holds is left out).
    QVector<QPointer<QAbstractButton>> upBefore;
};
