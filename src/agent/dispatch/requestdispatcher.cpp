#include "requestdispatcher.h"

#include "protocol/replyline.h"
#include "protocol/requestcode.h"
#include "protocol/wireprotocol.h"
#include "recording/sessionrecorder.h"

namespace {

using Handler = QByteArray (*)(const Request &);

struct Route
{
    RequestCode code;
    Handler handler;
    const LookupPolicy &lookup;
    // Requests that only read leave a field the user is typing into alone: the recorder's
    // own fetch of its steps above all, which a recording tool sends while the person types.
    bool readOnly;
    bool extendedOnly;
    // 1 and 3 take no fields: they are codes only as the whole line.
    bool wholeLine = false;
};

using namespace RequestHandlers;
namespace Lookup = LookupPolicies;
constexpr bool reads = true;
constexpr bool acts = false;
constexpr bool extended = true;
constexpr bool plain = false;

const Route routes[] = {
    {RequestCode::ListWindows, listWindows, Lookup::anyWindow, reads, plain, true},
    {RequestCode::WindowTree, windowTree, Lookup::anyWindow, reads, plain},
    {RequestCode::WidgetAtCursor, widgetAtCursor, Lookup::anyWindow, reads, plain, true},
    {RequestCode::PointAtWidget, pointAtWidget, Lookup::pointing, acts, plain},
    {RequestCode::Activate, activate, Lookup::acting, acts, plain},
    {RequestCode::Enter, enter, Lookup::acting, acts, plain},
    {RequestCode::Property, property, Lookup::reading, reads, plain},
    {RequestCode::CheckWindow, checkWindow, Lookup::enabledWindow, reads, plain},
    {RequestCode::Mouse, mouse, Lookup::clicking, acts, plain},
    {RequestCode::MoveWindow, moveWindow, Lookup::enabledWindow, acts, plain},
    {RequestCode::ResizeWindow, resizeWindow, Lookup::enabledWindow, acts, plain},
    {RequestCode::TrayIconGeometry, trayIconGeometry, Lookup::anyWindow, reads, plain},
    {RequestCode::ListWindowsExtended, listWindowsExtended, Lookup::anyWindow, reads, extended},
    {RequestCode::ListWidgets, listWidgets, Lookup::anyWindow, reads, extended},
    {RequestCode::Grab, grab, Lookup::reading, reads, extended},
    {RequestCode::Key, key, Lookup::pressing, acts, extended},
    {RequestCode::StartRecording, startRecording, Lookup::anyWindow, acts, extended},
    {RequestCode::StopRecording, stopRecording, Lookup::anyWindow, acts, extended},
    {RequestCode::RecordedSteps, recordedSteps, Lookup::anyWindow, reads, extended},
};

// The route of the line's code, or null: field 0 is a code exactly ("05" and " 5" are not).
const Route *routeOf(const QString &line, WireText::Mode mode)
{
    const QString code = WireProtocol::requestField(line, 0);
    bool numeric = false;
    const int number = code.toInt(&numeric);
    if (!numeric || code != QString::number(number))
        return nullptr;
    for (const Route &route : routes) {
        if (int(route.code) != number)
            continue;
        if (route.wholeLine && line != code)
            return nullptr;
        if (route.extendedOnly && mode != WireText::Mode::Extended)
            return nullptr;
        return &route;
    }
    return nullptr;
}

} // namespace

RequestDispatcher::RequestDispatcher(STApplicationProxy *registry, int hookVersion)
{
    context.registry = registry;
    context.hookVersion = hookVersion;
    context.mode = registry->mode();
}

RequestDispatcher::~RequestDispatcher()
{
    // The agent goes with its connection, above all when the program quits.
    if (context.recorder)
        keepRecordedSteps(*context.recorder);
}

QByteArray RequestDispatcher::dispatch(const QString &line, RequestFrame *frame)
{
    const Route *route = routeOf(line, context.mode);
    // Nothing that happens while a request runs is the user's doing.
    if (context.recorder && !(route && route->readOnly))
        context.recorder->agentRequestStarts();
    const AgentRequests::Scope running(context.requests);
    if (!route)
        return Reply::commandNotFound();
    const QByteArray reply = route->handler(Request{line, context, route->lookup, frame});
    // Texts that reach a reply unencoded (titles, item lists, the request's own path
    // echoed) must not break the extended mode's line either.
    return context.mode == WireText::Mode::Extended ? WireText::singleLine(reply) : reply;
}
