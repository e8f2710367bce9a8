#pragma once

#include "eventrecorder.h"
#include "proxies/proxytable.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/sterror.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

// Runs an action on a widget through the registry, as the request dispatcher does, then
// delivers what the proxy posted with flushing switched off, so that a test can also check
// that nothing happened. Returns the message it failed with, if any.
inline QString act(STApplicationProxy::Action action, QWidget *widget, const QVariant &first,
                   const QVariant &second = {}, const QString &classHint = QString(),
                   WireText::Mode mode = WireText::Mode::Plain)
{
    STApplicationProxy registry{agentProxyTable(), mode};
    QString message;
    try {
        registry.act(action, widget, classHint, first, second);
    } catch (const STError &error) {
        message = error.message;
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return message;
}

// "activate", "enter", "type" (enter, or typing into a widget without a proxy of its own),
// "press" or "mouse" with one value.
inline QString request(const QString &operation, QWidget *widget, const QVariant &value,
                       WireText::Mode mode = WireText::Mode::Plain)
{
    using Action = STApplicationProxy::Action;
    const Action action = operation == QLatin1String("activate") ? Action::Activate
                          : operation == QLatin1String("enter")  ? Action::Enter
                          : operation == QLatin1String("type")   ? Action::EnterOrType
                          : operation == QLatin1String("press")  ? Action::Press
                                                                 : Action::Mouse;
    return act(action, widget, value, {}, QString(), mode);
}

// An activate with its second value (a terminating key, a wanted check state).
inline QString activate(QWidget *widget, const QVariant &item, const QVariant &second,
                        const QString &classHint = QString())
{
    return act(STApplicationProxy::Action::Activate, widget, item, second, classHint);
}

// A property read through the registry: the value, or the message it failed with.
inline QVariant viewProperty(QWidget *widget, const QString &name, const QVariant &parameter = {},
                             const QString &classHint = QString(),
                             WireText::Mode mode = WireText::Mode::Plain)
{
    STApplicationProxy registry{agentProxyTable(), mode};
    try {
        return registry.getProxyProperty(widget, classHint, name, parameter);
    } catch (const STError &error) {
        return error.message;
    }
}

// The key presses (and mouse presses) that the watched widgets received: characters as
// they are, other keys by name, a mouse press as <Click>, e.g. "<Click><Home><End>go<Return>".
inline QString keySequence(const EventRecorder &recorder)
{
    QString keys;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        if (entry.type == QEvent::MouseButtonPress)
            keys += QStringLiteral("<Click>");
        else if (entry.key == 0 || (entry.text.size() == 1 && entry.text.at(0).isPrint()))
            keys += entry.text;
        else
            keys += QStringLiteral("<%1>").arg(
                QString(QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key)).mid(4));
    }
    return keys;
}

// Shows a top-level window and waits until it is on screen and active, as it would be for
// a user about to type into it.
inline bool showActive(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
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
    bool show() { return showActive(&window); }
    QWidget window;
    QWidget *widget;
};
