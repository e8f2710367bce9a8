#include "sessionrecorder.h"

#include "recordedfields.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>

using namespace RecordedFields;

SessionRecorder::SessionRecorder(const AgentRequests &requests, QObject *parent)
    : QObject(parent), agentRequests(requests), quick([this](const Step &step) { append(step); })
{
    pendingTimer.setSingleShot(true);
    pendingTimer.setInterval(0);
    connect(&pendingTimer, &QTimer::timeout, this, [this] { resolvePending(nullptr); });
}

SessionRecorder::~SessionRecorder()
{
    stop();
}

void SessionRecorder::start()
{
    if (recording)
        return;
    // A recording starts empty; the steps of the one before stay until then.
    recorded.clear();
    typing = Typing();
    quick.reset();
    lastClickStep = -1;
    navigationStep = -1;
    wheelStep = -1;
    firstPending = 0;
    recording = true;
    qApp->installEventFilter(this);
}

void SessionRecorder::stop()
{
    if (!recording)
        return;
    settle();
    flushTyping();
    recording = false;
    if (qApp)
        qApp->removeEventFilter(this);
    press = Press();
    pressedMenu = nullptr;
    pendingShortcut = Shortcut();
    fieldReturn = FieldReturn();
    openCombo = Target();
    navigatedView = nullptr;
}

QVector<SessionRecorder::Step> SessionRecorder::steps()
{
    settle();
    quick.flushTyping();
    // A field that lost the focus while its window was inactive got no focus-out event: what
    // was typed into it is final all the same, whatever the program later sets it to.
    if (typing.field && !typing.field->hasFocus())
        flushTyping();
    resolvePending(nullptr);
    return recorded + typingSteps(typing.field ? fieldText(typing.field) : QString());
}

void SessionRecorder::resolvePending(const QObject *going)
{
    // Steps before firstPending have their addresses; the others wait for a fetch, or for
    // their window or widget to go.
    firstPending = qMin(firstPending, int(recorded.size()));
    bool waiting = false;
    for (int index = firstPending; index < recorded.size(); ++index) {
        Step &step = recorded[index];
        if (going && !step.target.isIn(going)) {
            waiting = waiting || !step.target.resolved;
            continue;
        }
        if (!step.target.resolve() && !step.isComment()) {
            step.comment = QStringLiteral("not recorded: a step (request %1) on a widget that "
                                          "was gone before its address was read")
                               .arg(step.code);
            step.code = 0;
            step.values.clear();
        }
        if (!waiting)
            firstPending = index + 1;
    }
    // Targets of steps still to come: the text being typed, a shortcut or Return pressed.
    for (Target *coming : {&typing.target, &pendingShortcut.target, &fieldReturn.target}) {
        if (!going || coming->isIn(going))
            coming->resolve();
    }
}

void SessionRecorder::agentRequestStarts()
{
    flushTyping();
    quick.forgetPress();
    // A list the user opened and left: whatever the request chooses in it is not theirs.
    openCombo = Target();
    press = Press();
    pressedMenu = nullptr;
    pendingShortcut = Shortcut();
    fieldReturn = FieldReturn();
}

void SessionRecorder::flushTyping()
{
    quick.flushTyping();
    endTyping(typing.field ? fieldText(typing.field) : QString());
}

void SessionRecorder::endTyping(const QString &text)
{
    const QVector<Step> typed = typingSteps(text);
    typing = Typing();
    for (Step step : typed) {
        step.target.resolveNamed();
        recorded.append(step);
        if (!step.target.resolved)
            pendingTimer.start();
    }
}

QVector<SessionRecorder::Step> SessionRecorder::typingSteps(const QString &text) const
{
    if (!typing.target.isValid() || !typing.field || text == typing.startText)
        return {};
    const bool secret = hidesText(typing.field);
    const Step entered = RecordedSteps::enter(typing.target, text, secret);
    auto *view = qobject_cast<QAbstractItemView *>(typing.target.widget.data());
    if (!view || !typing.cell.isValid())
        return {entered};
    // The view's enter edits its current cell: the activate that makes the cell current
    // comes first, unless the step before did just that.
    const Step current = RecordedSteps::activate(
        typing.target, RecordedSteps::itemActivateValues(view, typing.cell));
    if (!recorded.isEmpty() && recorded.constLast().code == current.code &&
        recorded.constLast().target.widget == view && recorded.constLast().values == current.values)
        return {entered};
    return {current, entered};
}

void SessionRecorder::startTyping(QWidget *field)
{
    typing = Typing();
    typing.field = field;
    QAbstractItemView *view = viewOfCellEditor(field);
    if (!view) {
        typing.target = Target::of(field);
        typing.startText = fieldText(field);
        return;
    }
    // A cell editor lives only while the cell is edited, and may have taken the first key
    // before any reached it here: the edit is the view's, from the text the cell held.
    typing.target = Target::of(view);
    typing.cell = view->currentIndex();
    typing.startText = typing.cell.data(Qt::EditRole).toString();
    // A double click that only opened the editor: the view's enter opens it itself.
    if (lastClickStep >= 0 && lastClickStep == recorded.size() - 1 && lastClickWidget == view) {
        recorded.removeLast();
        firstPending = qMin(firstPending, int(recorded.size()));
    }
    lastClickStep = -1;
}

int SessionRecorder::append(const Step &step)
{
    settle();
    flushTyping();
    recorded.append(step);
    // A widget that its own click hides (a Submit button) shows no more by the time the
    // steps are fetched: what names find is decided now, the rest once the program has
    // answered the input (a zero timer runs after the posted events, its repaint among them)
    // and before the next input can hide the widget.
    recorded.last().target.resolveNamed();
    if (!recorded.last().target.resolved)
        pendingTimer.start();
    return recorded.size() - 1;
}

void SessionRecorder::appendUnsettled(const Step &step, QObject *changed, Settle kind)
{
    // The state or value really reached is known once the widget has handled the input;
    // it differs from the one foreseen where the application changes it in its slots. It
    // is read when the event loop comes round, or before the next step, whichever is first.
    const int index = append(step);
    unsettled = {index, changed, kind, QString()};
    QMetaObject::invokeMethod(this, &SessionRecorder::settle, Qt::QueuedConnection);
}

void SessionRecorder::settle()
{
    const Unsettled pending = unsettled;
    unsettled = Unsettled();
    if (!pending.changed || pending.index >= recorded.size())
        return;
    Step &step = recorded[pending.index];
    switch (pending.kind) {
    case Settle::State:
        step.values.last() = RecordedSteps::stateValue(pending.changed);
        break;
    case Settle::Value:
        step.values.last() =
            QStringLiteral("i:") + QString::number(pending.changed->property("value").toInt());
        break;
    case Settle::Wheel:
        step.values = QStringList{wheelValue(static_cast<QWidget *>(pending.changed.data()))};
        break;
    }
}

void SessionRecorder::watchCombo(QComboBox *combo)
{
    // Its address now, while it still shows the item it had: an unnamed combo box is
    // found by its text.
    openCombo = Target::of(combo);
    connect(combo, QOverload<int>::of(&QComboBox::activated), this,
            &SessionRecorder::comboActivated, Qt::UniqueConnection);
}

void SessionRecorder::comboActivated(int index)
{
    auto *combo = qobject_cast<QComboBox *>(sender());
    // Only a choice the user began: the agent's choices come while a request of its own
    // runs or through input it posted, which never opened the list as the user's.
    if (!recording || !combo || combo != openCombo.widget || agentRequests.running())
        return;
    if (combo->isEditable() && typing.field == combo)
        typing = Typing(); // the choice replaces what was typed
    const Target target = openCombo;
    openCombo = Target();
    if (target.isValid())
        append(RecordedSteps::activate(target, {QStringLiteral("s:") + combo->itemText(index)}));
}

void SessionRecorder::navigationEnded()
{
    const QPointer<QAbstractItemView> view = navigatedView;
    navigatedView = nullptr;
    if (!view || !view->currentIndex().isValid())
        return;
    const Target target = Target::of(view);
    if (!target.isValid())
        return;
    const Step step = RecordedSteps::activate(
        target, RecordedSteps::itemActivateValues(view, view->currentIndex()));
    if (navigationStep >= 0 && navigationStep == recorded.size() - 1 &&
        recorded.at(navigationStep).target.widget == view) {
        // The step of the last key: its address is decided anew.
        recorded[navigationStep] = step;
        firstPending = qMin(firstPending, navigationStep);
        pendingTimer.start();
        return;
    }
    navigationStep = append(step);
}
