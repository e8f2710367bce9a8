#include "quickscene.h"

#include "quickitems.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

QuickScene QuickScene::ofWidget(QWidget *widget)
{
    QuickScene scene;
    if (QuickItems::isQuickWidget(widget))
        scene.hostWidget = widget;
    return scene;
}

QuickScene QuickScene::ofWindow(QWindow *window)
{
    QuickScene scene;
    if (window && window->inherits("QQuickWindow"))
        scene.hostWindow = window;
    return scene;
}

QObject *QuickScene::root() const
{
    if (hostWidget)
        return QuickItems::rootOf(hostWidget);
    if (hostWindow)
        return hostWindow->property("contentItem").value<QObject *>();
    return nullptr;
}

QPoint QuickScene::mapToGlobal(const QPoint &scenePoint) const
{
    if (hostWidget)
        return hostWidget->mapToGlobal(scenePoint);
    return hostWindow ? hostWindow->mapToGlobal(scenePoint) : scenePoint;
}

QPixmap QuickScene::grab(const QRect &sceneRect) const
{
    if (hostWidget)
        return hostWidget->grab(sceneRect.isNull() ? QRect(QPoint(0, 0), QSize(-1, -1))
                                                   : sceneRect);
    if (!hostWindow || !hostWindow->screen())
        return QPixmap();
    // The window system's copy of the window: the offscreen platform keeps the picture the
    // software renderer painted, an X server the one it shows.
    const QRect part = sceneRect.isNull() ? QRect(QPoint(0, 0), hostWindow->size()) : sceneRect;
    return hostWindow->screen()->grabWindow(hostWindow->winId(), part.x(), part.y(), part.width(),
                                            part.height());
}
