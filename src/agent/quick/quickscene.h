#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <QWindow>

// A Qt Quick scene the program shows: the scene of a QQuickWidget inside a widget window,
// or that of a QQuickWindow of its own. Items are placed in scene coordinates, which are the
// QQuickWidget's or the window's own.
class QuickScene
{
public:
    QuickScene() = default;
    // The scene of a QQuickWidget; a null scene for any other widget.
    static QuickScene ofWidget(QWidget *widget);
    // The scene of a QQuickWindow; a null scene for any other window.
    static QuickScene ofWindow(QWindow *window);

    bool isNull() const { return !root(); }
    // Its root item (the window's content item), which every item of it lies below.
    QObject *root() const;
    QWidget *widget() const { return hostWidget; }
    QWindow *window() const { return hostWindow; }
    QPoint mapToGlobal(const QPoint &scenePoint) const;
    // The part of the scene shown in `sceneRect`, as the program paints it; the whole scene
    // for a null rectangle.
    QPixmap grab(const QRect &sceneRect = QRect()) const;

private:
    QPointer<QWidget> hostWidget;
    QPointer<QWindow> hostWindow;
};
