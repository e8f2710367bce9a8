#pragma once

#include "eventrecorder.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/sterror.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

// Runs "activate", "enter" or "mouse" on a widget through the registry, as the request
// dispatcher does, then delivers what the proxy posted with flushing switched off, so that
// a test can also check that nothing happened. Returns the message it failed with, if any.
inline QString request(const QString &operation, QWidget *widget, const QVariant &value)
{
    STApplicationProxy registry;
    QString message;
    try {
        if (operation == QLatin1String("activate"))
            registry.activateWidget(widget, QString(), value, QVariant());
        else if (operation == QLatin1String("enter"))
            registry.enterWidget(widget, QString(), value);
        else
            registry.mouseWidget(widget, QString(), value);
    } catch (const STError &error) {
        message = error.message;
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return message;
}

// A top-level window around one widget, on screen and active before any input, as it
// would be for a user.
struct Hosted
{
    explicit Hosted(QWidget *child) : widget(child)
    {
        widget->setObjectName(QStringLiteral("widget"));
        (new QVBoxLayout(&window))->addWidget(widget);
    }
    bool show()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    QWidget window;
    QWidget *widget;
};
