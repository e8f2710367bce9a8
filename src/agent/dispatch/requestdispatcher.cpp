#include "requestdispatcher.h"

#include "requesthandlers.h"

#include "protocol/replyline.h"
#include "protocol/requestcode.h"
#include "protocol/wireprotocol.h"

RequestDispatcher::RequestDispatcher(STApplicationProxy *registry, int hookVersion)
    : registry(registry), hookVersion(hookVersion)
{
}

QByteArray RequestDispatcher::dispatch(const QString &line)
{
    using namespace RequestHandlers;
    // "1" and "3" take no fields and are codes only as the whole line; every other code
    // is field 0 exactly ("05" and " 5" are not codes).
    if (line == QLatin1String("1"))
        return listWindows();
    if (line == QLatin1String("3"))
        return widgetAtCursor(registry, hookVersion);

    bool numeric = false;
    const QString code = WireProtocol::requestField(line, 0);
    const int number = code.toInt(&numeric);
    if (!numeric || code != QString::number(number))
        return Reply::commandNotFound();

    switch (RequestCode(number)) {
    case RequestCode::WindowTree:
        return windowTree(line);
    case RequestCode::PointAtWidget:
        return pointAtWidget(line);
    case RequestCode::Activate:
    case RequestCode::Enter:
    case RequestCode::Mouse:
        return proxyAction(registry, line, RequestCode(number));
    case RequestCode::Property:
        return property(registry, line);
    case RequestCode::CheckWindow:
        return checkWindow(line);
    case RequestCode::MoveWindow:
        return moveOrResizeWindow(line, true);
    case RequestCode::ResizeWindow:
        return moveOrResizeWindow(line, false);
    case RequestCode::TrayIconGeometry:
        return trayIconGeometry(line);
    default: // 1 and 3 only as whole lines, above
        return Reply::commandNotFound();
    }
}
