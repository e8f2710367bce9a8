#include "requestdispatcher.h"

#include "requesthandlers.h"

#include "protocol/replyline.h"
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

    switch (number) {
    case 2:
        return windowTree(line);
    case 4:
        return pointAtWidget(line);
    case 5:
    case 6:
    case 9:
        return proxyAction(registry, line, number);
    case 7:
        return property(registry, line);
    case 8:
        return checkWindow(line);
    case 10:
        return moveOrResizeWindow(line, true);
    case 11:
        return moveOrResizeWindow(line, false);
    case 12:
        return trayIconGeometry(line);
    default:
        return Reply::commandNotFound();
    }
}
