#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

class QWidget;
class STWidgetProxy;

// Class name to proxy object. The framework knows no concrete control: each proxy folder
// fills its own rows (proxies/controls/controlproxytable.cpp, proxies/views/viewproxytable.cpp).
using ProxyTable = QHash<QString, STWidgetProxy *>;
void registerControlProxies(ProxyTable &table);
void registerViewProxies(ProxyTable &table);

// The proxy registry: one long-lived proxy per supported class name. For each request it
// walks the widget's class chain to the most derived registered class (or the hinted
// one), binds that proxy and runs the request's operation on it.
class STApplicationProxy
{
public:
    STApplicationProxy();
    virtual ~STApplicationProxy();

    QByteArray resolveClassName(QWidget *widget, const QString &classHint) const;
    STWidgetProxy *proxyFor(QWidget *widget, const QString &classHint);

    void activateWidget(QWidget *widget, const QString &classHint, const QVariant &first,
                        const QVariant &second);
    void enterWidget(QWidget *widget, const QString &classHint, const QVariant &value);
    void mouseWidget(QWidget *widget, const QString &classHint, const QVariant &command);
    QVariant getProxyProperty(QWidget *widget, const QString &classHint, const QString &name,
                              const QVariant &parameter);

    // The proxy registered under a class name, or null.
    STWidgetProxy *registeredProxy(const QString &className) const;

private:
    class KeptBinding;

    STWidgetProxy *chosenProxy(QWidget *widget, const QString &classHint,
                               QByteArray *className) const;
    // Checks enabled, raises the window and switches flushing on.
    static STWidgetProxy *prepareAction(STWidgetProxy *proxy);

    ProxyTable proxies;
    // Proxies with an operation still running, and how many (requests nest while the
    // application waits in a dialog of its own).
    QHash<const STWidgetProxy *, int> running;
};
