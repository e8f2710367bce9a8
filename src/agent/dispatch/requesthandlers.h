#pragma once

#include "addressing/requestlookup.h"
#include "protocol/wiretext.h"
#include "recording/agentrequests.h"
#include "proxies/framework/stapplicationproxy.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class RequestFrame;
class SessionRecorder;

// What the dispatcher keeps for the agent's whole life and hands every request.
struct RequestContext
{
    STApplicationProxy *registry = nullptr;
    int hookVersion = -1;
    // The agent's mode, fixed when it was made (the registry's).
    WireText::Mode mode = WireText::Mode::Plain;
    // The requests being served now; the recorder reads it to leave their input alone.
    AgentRequests requests;
    // Made by the first start of a recording (extended mode only), kept for its steps.
    std::unique_ptr<SessionRecorder> recorder;

    bool selectors() const { return mode == WireText::Mode::Extended; }
};

// One request as a handler sees it: the whole line, the agent's context, the lookup policy
// that the dispatcher's table names for its code, and its frame.
struct Request
{
    const QString &line;
    RequestContext &context;
    const LookupPolicy &lookup;
    RequestFrame *frame; // null outside the agent's request loop (tests, the fuzzer)
};

// One handler per request code. Each returns the request's one reply line.
namespace RequestHandlers {

// Window requests.
// With selectors (the extended mode), the shown QQuickWindows follow the widget windows.
QByteArray listWindows(const Request &request);
QByteArray windowTree(const Request &request);
QByteArray checkWindow(const Request &request);
QByteArray moveWindow(const Request &request);
QByteArray resizeWindow(const Request &request);
QByteArray trayIconGeometry(const Request &request);

// Widget requests.
QByteArray widgetAtCursor(const Request &request);
QByteArray pointAtWidget(const Request &request);
QByteArray activate(const Request &request);
QByteArray enter(const Request &request);
QByteArray mouse(const Request &request);
QByteArray property(const Request &request);
QByteArray key(const Request &request);

// Field 1 as a window, or field 1 and 2 as a widget, under the request's policy; null, with
// the error reply in `reply`, when that fails.
QWidget *resolveWindow(const Request &request, QByteArray &reply);
QWidget *resolveWidget(const Request &request, QByteArray &reply);

// A window field or path that no widget answers may lead into a Qt Quick scene (the extended
// mode): the widget lookup's "not found" reply gives way to `quickReply`'s, unless that is
// empty (they reach no scene).
QByteArray orQuickReply(const QByteArray &widgetReply, const Request &request,
                        const std::function<QByteArray()> &quickReply);

// The extended mode's requests.
QByteArray listWindowsExtended(const Request &request);
QByteArray listWidgets(const Request &request);
QByteArray grab(const Request &request);

// Recording (24, 25, 26). A recorder that was never started is null: stopping answers as
// stopping a stopped one does, and there are no steps.
QByteArray startRecording(const Request &request);
QByteArray stopRecording(const Request &request);
QByteArray recordedSteps(const Request &request);
// The last steps of a program that quits are lost to a client that fetches them now and then
// (the click that quits it): when the agent goes while recording and the environment
// variable TESTCLIENT_RECORD_FILE names a file, the steps are written there, as the JSON
// array of request 26.
void keepRecordedSteps(SessionRecorder &recorder);

} // namespace RequestHandlers
