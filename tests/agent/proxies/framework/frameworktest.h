#pragma once

#include "proxies/framework/sterror.h"
#include "proxies/framework/stinputcontrol.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

// A point that no window of these tests ever covers: near the screen's bottom-right corner,
// since a real display keeps the cursor on the screen.
inline QPoint nowhere()
{
    return QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(2, 2);
}

// Input goes to the active window only once the window system says it is shown.
inline bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowExposed(window) && QTest::qWaitForWindowActive(window);
}

// The message of the STError that `operation` throws, or "no error".
template <typename Operation> QString errorOf(Operation operation)
{
    try {
        operation();
    } catch (const STError &error) {
        return error.message;
    }
    return QStringLiteral("no error");
}

// A window at a fixed place with one plain child widget "target" at (10,10), 100x50.
struct Scene
{
    Scene()
    {
        window.setGeometry(100, 100, 200, 150);
        target.setObjectName(QStringLiteral("target"));
        target.setGeometry(10, 10, 100, 50);
    }

    QWidget window;
    QWidget target{&window};
};

// Every test starts with the cursor away from all windows (and a fresh input control,
// so with no button held).
inline void resetInput()
{
    QCursor::setPos(nowhere());
}
