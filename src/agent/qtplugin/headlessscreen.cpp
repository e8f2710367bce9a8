#include "headlessscreen.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <qpa/qwindowsysteminterface.h>

namespace HeadlessScreen {

const char environmentVariable[] = "TESTCLIENT_SCREEN";

namespace {

const int smallest = 320;
const int largest = 16384;

} // namespace

QSize parse(const QByteArray &text)
{
    const QList<QByteArray> sides = text.split('x');
    if (sides.size() != 2)
        return QSize();
    bool widthOk = false;
    bool heightOk = false;
    const int width = sides.at(0).toInt(&widthOk);
    const int height = sides.at(1).toInt(&heightOk);
    if (!widthOk || !heightOk || width < smallest || width > largest || height < smallest ||
        height > largest) {
        return QSize();
    }
    return QSize(width, height);
}

QSize apply()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        return QSize();
    QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = parse(qgetenv(environmentVariable));
    if (!screen || size.isEmpty())
        return QSize();
    const QRect geometry(QPoint(0, 0), size);
    QWindowSystemInterface::handleScreenGeometryChange(screen, geometry, geometry);
    // Delivered now: windows made from here on are placed on the new screen.
    QWindowSystemInterface::flushWindowSystemEvents();
    return size;
}

} // namespace HeadlessScreen
