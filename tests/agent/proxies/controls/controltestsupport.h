#pragma once

#include "eventrecorder.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/sterror.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

// Runs "activate", "enter" or "mouse" on a widget through the registry, as the request
// dispatcher does; returns the message it failed with, or an empty string.
inline QString request(const char *operation, QWidget *widget, const QVariant &value)
{
    STApplicationProxy registry;
    try {
        if (qstrcmp(operation, "activate") == 0)
            registry.activateWidget(widget, QString(), value, QVariant());
        else if (qstrcmp(operation, "enter") == 0)
            registry.enterWidget(widget, QString(), value);
        else
            registry.mouseWidget(widget, QString(), value);
    } catch (const STError &error) {
        return error.message;
    }
    return QString();
}

// A top-level window around one widget, on screen and active before any input, as it
// would be for a user.
struct Hosted
{
    explicit Hosted(QWidget *child, const char *name = "widget") : widget(child)
    {
        widget->setObjectName(QLatin1String(name));
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

// Delivers what a proxy posted with flushing switched off, so that a test can also
// check that nothing happened.
inline void deliverPostedInput()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The mouse buttons and context-menu requests a widget received: "press left",
// "release right", "double-click left", "context menu".
inline QStringList mouseSequence(const EventRecorder &recorder)
{
    QStringList sequence;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        const QString button = entry.button == Qt::LeftButton    ? QStringLiteral(" left")
                               : entry.button == Qt::RightButton ? QStringLiteral(" right")
                                                                 : QStringLiteral(" other");
        if (entry.type == QEvent::MouseButtonPress)
            sequence.append(QStringLiteral("press") + button);
        else if (entry.type == QEvent::MouseButtonRelease)
            sequence.append(QStringLiteral("release") + button);
        else if (entry.type == QEvent::MouseButtonDblClick)
            sequence.append(QStringLiteral("double-click") + button);
        else if (entry.type == QEvent::ContextMenu)
            sequence.append(QStringLiteral("context menu"));
    }
    return sequence;
}

// The text of the key presses, and how often one key was pressed.
inline QString typedText(const EventRecorder &recorder)
{
    QString text;
    for (const EventRecorder::Entry &entry : recorder.entries())
        if (entry.type == QEvent::KeyPress)
            text += entry.text;
    return text;
}

inline int keyPresses(const EventRecorder &recorder, int key)
{
    int count = 0;
    for (const EventRecorder::Entry &entry : recorder.entries())
        count += entry.type == QEvent::KeyPress && entry.key == key;
    return count;
}
