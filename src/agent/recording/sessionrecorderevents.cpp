// The event watcher: which events are a person's input, seen once each.

#include "sessionrecorder.h"

#include "qtcompat.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

bool SessionRecorder::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the application passes here while recording: anything not input
    // leaves at the switch. Nothing is ever filtered out.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        break;
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Show:
    case QEvent::FocusOut:
        otherEventSeen(watched, event);
        return false;
    case QEvent::Hide:
    case QEvent::DeferredDelete:
        // A window about to hide (its handle hides first, while its widgets still show) or
        // a widget about to be deleted: the addresses of its steps are decided now.
        if (firstPending < recorded.size() || typing.field || pendingShortcut.target.widget ||
            fieldReturn.field)
            resolvePending(watched);
        return false;
    default:
        return false;
    }
    if (!event->spontaneous() || agentRequests.running())
        return false;
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!isKey && quick.mouseEvent(watched, event))
        return false;
    if (!watched->isWidgetType())
        return false;

    auto *receiver = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::Wheel) {
        // The copies a widget's parents get of a turn it ignored are not spontaneous.
        wheelTurned(receiver, static_cast<QWheelEvent *>(event));
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        mouseSeen(receiver, static_cast<QMouseEvent *>(event));
        return false;
    }
    auto *key = static_cast<QKeyEvent *>(event);
    if (isParentCopy(key, receiver))
        return false;
    if (key->type() == QEvent::KeyRelease)
        keyReleased(key);
    else
        keyPressed(receiver, key);
    return false;
}

void SessionRecorder::mouseSeen(QWidget *receiver, QMouseEvent *mouse)
{
    if (mouse->type() == lastMouseType && mouse->timestamp() == lastMouseTime &&
        QtCompat::globalPos(mouse) == lastMouseGlobal)
        return; // the same event again, passed on to a parent
    lastMouseType = mouse->type();
    lastMouseTime = mouse->timestamp();
    lastMouseGlobal = QtCompat::globalPos(mouse);
    if (mouse->type() == QEvent::MouseButtonPress)
        mousePressed(receiver, mouse);
    else if (mouse->type() == QEvent::MouseButtonRelease)
        mouseReleased(receiver, mouse);
    else
        mouseDoubleClicked(receiver, mouse);
}

bool SessionRecorder::isParentCopy(const QKeyEvent *event, QWidget *receiver)
{
    // A key the focus widget ignores goes on to its parents as the same event.
    if (event == lastKeyEvent && event->type() == lastKeyType && lastKeyReceiver &&
        receiver != lastKeyReceiver && receiver->isAncestorOf(lastKeyReceiver))
        return true;
    lastKeyEvent = event;
    lastKeyType = event->type();
    lastKeyReceiver = receiver;
    return false;
}

void SessionRecorder::otherEventSeen(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Offered before the press, by Qt itself (never spontaneous): a shortcut it
        // triggers consumes the press, so the step waits for the Shortcut event.
        if (watched->isWidgetType() && !agentRequests.running() &&
            !isParentCopy(static_cast<QKeyEvent *>(event), static_cast<QWidget *>(watched)))
            shortcutOffered(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
        break;
    case QEvent::Shortcut:
        // The offered key triggers a shortcut: the text typed so far is a step before it,
        // read before the shortcut may change the field or take it away. The key is a step
        // now: a dialog the shortcut opens may take the release, or block it.
        if (pendingShortcut.target.widget && !agentRequests.running())
            shortcutTaken();
        break;
    case QEvent::Show:
        // A context menu opened by the right press just recorded (its own event, not
        // spontaneous).
        if (press.button == Qt::RightButton && !agentRequests.running() &&
            qobject_cast<QMenu *>(watched))
            menuShown(static_cast<QMenu *>(watched));
        break;
    case QEvent::FocusOut:
        // The text typed into a field is final when the field loses the focus. Read before
        // the field handles the event: a spin box may still correct it then, as it would
        // after the enter request types the same text.
        if (typing.field && watched == typing.field)
            flushTyping();
        break;
    default:
        break;
    }
}
