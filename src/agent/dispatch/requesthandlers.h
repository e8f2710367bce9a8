#pragma once

#include "addressing/widgetaddressing.h"
#include "protocol/requestcode.h"
#include "proxies/framework/stapplicationproxy.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;
class SessionRecorder;

// One handler per request. Each takes the whole request line and returns its reply.
namespace RequestHandlers {

// How window fields and paths are read: by the naming rules alone, or, in the extended
// mode, with selectors as well.
enum class Addressing { Names, Selectors };

// Window requests.
// With selectors (the extended mode), the shown QQuickWindows follow the widget windows.
QByteArray listWindows(Addressing addressing);
QByteArray windowTree(const QString &line, Addressing addressing);
QByteArray checkWindow(const QString &line, Addressing addressing);
QByteArray moveOrResizeWindow(const QString &line, bool move, Addressing addressing);
QByteArray trayIconGeometry(const QString &line);

// Widget requests.
QByteArray widgetAtCursor(STApplicationProxy *registry, int hookVersion);
QByteArray pointAtWidget(const QString &line, Addressing addressing);
// The requests that run a proxy operation (5, 6, 9 and the extended mode's 23): `action`
// is the one the dispatcher chose for the code in its mode.
QByteArray proxyAction(STApplicationProxy *registry, const QString &line, RequestCode code,
                       STApplicationProxy::Action action, Addressing addressing);
QByteArray property(STApplicationProxy *registry, const QString &line, Addressing addressing);

// Resolves field 1 as a window under the given check; null, with the error reply in
// `reply`, when that fails.
QWidget *resolveWindow(const QString &line, WindowCheck mode, Addressing addressing,
                       QByteArray &reply);

// Resolves the window (field 1) and the path (field 2) as the request `code` does; null,
// with the error reply in `reply`, when that fails. The key request's empty path is
// whatever has the focus in the window (the window itself when nothing in it has).
QWidget *resolveWidget(const QString &line, RequestCode code, Addressing addressing,
                       QByteArray &reply);

// A window field or path that no widget answers may lead into a Qt Quick scene (the extended
// mode): the widget lookup's "not found" reply gives way to `quickReply`'s, unless that is
// empty (they reach no scene).
QByteArray orQuickReply(const QByteArray &widgetReply, Addressing addressing,
                        const std::function<QByteArray()> &quickReply);

// The extended mode's requests.
QByteArray listWindowsExtended();
QByteArray listWidgets(const QString &line);
QByteArray grab(const QString &line);

// Recording (24, 25, 26). A recorder that was never started is null: stopping answers as
// stopping a stopped one does, and there are no steps.
QByteArray startRecording(SessionRecorder &recorder);
QByteArray stopRecording(SessionRecorder *recorder);
QByteArray recordedSteps(SessionRecorder *recorder);
// The last steps of a program that quits are lost to a client that fetches them now and then
// (the click that quits it): when the agent goes while recording and the environment
// variable TESTCLIENT_RECORD_FILE names a file, the steps are written there, as the JSON
// array of request 26.
void keepRecordedSteps(SessionRecorder &recorder);

} // namespace RequestHandlers
