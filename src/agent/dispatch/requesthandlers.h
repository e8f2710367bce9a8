#pragma once

#include "protocol/requestcode.h"

#include <QByteArray>
#include <QString>

class STApplicationProxy;

// One handler per request. Each takes the whole request line and returns its reply.
namespace RequestHandlers {

// Window requests.
QByteArray listWindows();
QByteArray windowTree(const QString &line);
QByteArray checkWindow(const QString &line);
QByteArray moveOrResizeWindow(const QString &line, bool move);
QByteArray trayIconGeometry(const QString &line);

// Widget requests.
QByteArray widgetAtCursor(STApplicationProxy *registry, int hookVersion);
QByteArray pointAtWidget(const QString &line);
QByteArray proxyAction(STApplicationProxy *registry, const QString &line, RequestCode code);
QByteArray property(STApplicationProxy *registry, const QString &line);

} // namespace RequestHandlers
