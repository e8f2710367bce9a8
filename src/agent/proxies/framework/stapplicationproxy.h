#pragma once

#include "protocol/wiretext.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;
class STWidgetProxy;

// Class name to proxy object.
using ProxyTable = QHash<QString, STWidgetProxy *>;

// The proxy registry: one long-lived proxy per supported class name. For each request it
// walks the widget's class chain to the most derived registered class (or the hinted
// one), binds that proxy and runs the request's operation on it.
class STApplicationProxy
{
public:
    // Takes the proxies over; the base proxy serves "QWidget" unless the table says
    // otherwise. The framework knows no concrete control: the agent builds the table
    // (proxies/proxytable.h).
    // The mode is the agent's, fixed for the registry's life; every proxy follows it.
    explicit STApplicationProxy(const ProxyTable &proxies,
                                WireText::Mode mode = WireText::Mode::Plain);
    virtual ~STApplicationProxy();

    // The proxy operation a request runs. EnterOrType is enter, except that a widget which
    // has no proxy of its own (the base proxy serves it) is clicked and typed into as any
    // focusable widget (STWidgetProxy::typeInto): the extended mode's enter. Press presses
    // a key sequence (STWidgetProxy::press), which only the extended mode requests.
    enum class Action { Activate, Enter, EnterOrType, Mouse, Press };

    // Binds the proxy chosen for the widget and tells `bound` the class name under which
    // it was chosen, before anything happens to the widget; then checks that the widget
    // is enabled, brings it into reach and runs the action: activate (first, second),
    // enter, mouse or press (first).
    void act(Action action, QWidget *widget, const QString &classHint, const QVariant &first,
             const QVariant &second = QVariant(),
             const std::function<void(const QString &className)> &bound = nullptr);
    WireText::Mode mode() const { return agentMode; }

    QVariant getProxyProperty(QWidget *widget, const QString &classHint, const QString &name,
                              const QVariant &parameter);

private:
    class KeptBinding;

    // The proxy serving `widget`, or that of its hinted class; its class name goes to
    // `className`.
    STWidgetProxy *chosenProxy(QWidget *widget, const QString &classHint,
                               QString *className) const;
    // Checks enabled, raises the window and switches flushing on.
    static STWidgetProxy *prepareAction(STWidgetProxy *proxy);

    ProxyTable proxies;
    WireText::Mode agentMode;
    // The buttons held by presses of every proxy (STInputControl::heldButtons).
    Qt::MouseButtons heldButtons = Qt::NoButton;
    // Proxies with an operation still running, and how many (requests nest while the
    // application waits in a dialog of its own).
    QHash<const STWidgetProxy *, int> running;
};
