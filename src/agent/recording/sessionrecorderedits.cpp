// The intent resolver for values changed without typing a whole field: the mouse wheel,
// and the keys that end an edit in a view's cell editor.

#include "sessionrecorder.h"

#include "recordedfields.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QWheelEvent>

using namespace RecordedFields;

void SessionRecorder::wheelTurned(QWidget *receiver, QWheelEvent *)
{
    QWidget *changed = wheelTarget(receiver);
    if (!changed)
        return;
    if (qobject_cast<QAbstractScrollArea *>(changed)) {
        // Where a view or page is scrolled to is no value of the program: said, once for
        // turns that go on scrolling it.
        Target target = Target::of(changed);
        if (!target.resolve())
            return;
        const Step comment = RecordedSteps::comment(
            target,
            QStringLiteral("not recorded: the mouse wheel scrolled %1").arg(target.address));
        if (recorded.isEmpty() || recorded.constLast().comment != comment.comment)
            append(comment);
        return;
    }
    if (openCombo.widget == changed)
        openCombo = Target(); // the turn is this step, not a choice from the list
    // Further turns of the same widget change the value its step ends at.
    if (wheeled == changed && wheelStep >= 0 && wheelStep == recorded.size() - 1 && !typing.field) {
        unsettled = {wheelStep, changed, Settle::Wheel, QString()};
        QMetaObject::invokeMethod(this, &SessionRecorder::settle, Qt::QueuedConnection);
        return;
    }
    const Target target = Target::of(changed);
    if (!target.isValid())
        return;
    // A spin box is entered the text it shows, as if typed; the others are activated to
    // the value, which the activate reaches from any starting value.
    const Step step = qobject_cast<QAbstractSpinBox *>(changed)
                          ? RecordedSteps::enter(target, fieldText(changed), false)
                          : RecordedSteps::activate(target, {wheelValue(changed)});
    if (typing.field == changed)
        flushTyping();
    appendUnsettled(step, changed, Settle::Wheel);
    wheeled = changed;
    wheelStep = recorded.size() - 1;
}

bool SessionRecorder::cellEditorKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return commits the cell, as the view's enter does itself: the edit ends here.
        flushTyping();
        return true;
    case Qt::Key_Escape:
        // Escape drops what was typed: the cell keeps its text.
        typing = Typing();
        return true;
    default:
        return false;
    }
}
