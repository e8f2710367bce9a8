#include "requestdispatcher.h"

#include "requesthandlers.h"

#include "protocol/replyline.h"
#include "protocol/requestcode.h"
#include "protocol/wireprotocol.h"
#include "protocol/wiretext.h"
#include "recording/agentrequests.h"
#include "recording/sessionrecorder.h"

RequestDispatcher::RequestDispatcher(STApplicationProxy *registry, int hookVersion, bool extended)
    : registry(registry), hookVersion(hookVersion), extended(extended)
{
}

RequestDispatcher::~RequestDispatcher()
{
    // The agent goes with its connection, above all when the program quits.
    if (recorder)
        RequestHandlers::keepRecordedSteps(*recorder);
}

namespace {

// Requests that only read leave a field the user is typing into alone: the recorder's own
// fetch of its steps above all, which a recording tool sends while the person types.
bool onlyReads(const QString &line)
{
    static const QStringList readingCodes{"1", "2", "3", "7", "8", "12", "20", "21", "22", "26"};
    return readingCodes.contains(WireProtocol::requestField(line, 0));
}

} // namespace

QByteArray RequestDispatcher::dispatch(const QString &line)
{
    // Nothing that happens while a request runs is the user's doing.
    if (recorder && !onlyReads(line))
        recorder->agentRequestStarts();
    const AgentRequests::Scope running;
    // Texts that reach a reply without WireText::encode (titles, item lists, the request's
    // own path echoed) must not break the extended mode's line either.
    return extended ? WireText::singleLine(serve(line)) : serve(line);
}

QByteArray RequestDispatcher::serve(const QString &line)
{
    using namespace RequestHandlers;
    const WireText::RequestMode mode(extended);
    // "1" and "3" take no fields and are codes only as the whole line; every other code
    // is field 0 exactly ("05" and " 5" are not codes).
    if (line == QLatin1String("1"))
        return listWindows(extended ? Addressing::Selectors : Addressing::Names);
    if (line == QLatin1String("3"))
        return widgetAtCursor(registry, hookVersion);

    bool numeric = false;
    const QString code = WireProtocol::requestField(line, 0);
    const int number = code.toInt(&numeric);
    if (!numeric || code != QString::number(number))
        return Reply::commandNotFound();

    using Action = STApplicationProxy::Action;
    const Addressing addressing = extended ? Addressing::Selectors : Addressing::Names;
    const auto requestCode = RequestCode(number);
    switch (requestCode) {
    case RequestCode::WindowTree:
        return windowTree(line, addressing);
    case RequestCode::PointAtWidget:
        return pointAtWidget(line, addressing);
    case RequestCode::Activate:
        return proxyAction(registry, line, requestCode, Action::Activate, addressing);
    case RequestCode::Enter:
        // The extended mode types into a focusable widget that has no proxy of its own.
        return proxyAction(registry, line, requestCode,
                           extended ? Action::EnterOrType : Action::Enter, addressing);
    case RequestCode::Mouse:
        return proxyAction(registry, line, requestCode, Action::Mouse, addressing);
    case RequestCode::Property:
        return property(registry, line, addressing);
    case RequestCode::CheckWindow:
        return checkWindow(line, addressing);
    case RequestCode::MoveWindow:
        return moveOrResizeWindow(line, true, addressing);
    case RequestCode::ResizeWindow:
        return moveOrResizeWindow(line, false, addressing);
    case RequestCode::TrayIconGeometry:
        return trayIconGeometry(line);
    case RequestCode::ListWindowsExtended:
        return extended ? listWindowsExtended() : Reply::commandNotFound();
    case RequestCode::ListWidgets:
        return extended ? listWidgets(line) : Reply::commandNotFound();
    case RequestCode::Grab:
        return extended ? grab(line) : Reply::commandNotFound();
    case RequestCode::Key:
        return extended ? proxyAction(registry, line, requestCode, Action::Press, addressing)
                        : Reply::commandNotFound();
    case RequestCode::StartRecording:
        if (!extended)
            return Reply::commandNotFound();
        if (!recorder)
            recorder = std::make_unique<SessionRecorder>();
        return startRecording(*recorder);
    case RequestCode::StopRecording:
        return extended ? stopRecording(recorder.get()) : Reply::commandNotFound();
    case RequestCode::RecordedSteps:
        return extended ? recordedSteps(recorder.get()) : Reply::commandNotFound();
    default: // 1 and 3 only as whole lines, above
        return Reply::commandNotFound();
    }
}
