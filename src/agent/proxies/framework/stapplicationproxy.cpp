#include "stapplicationproxy.h"
#include "sterror.h"
#include "stwidgetproxy.h"

#include <QMetaObject>
#include <QWidget>

namespace {

const char NotDerived[] = "Widget is not derived from class ";
const char NotSupported[] = "neither class \"%s\" nor one of its base classes is supported";
const char WidgetDisabled[] = "Error: widget \"%s\" of class \"%s\" is disabled.";
const char ProxyWithoutWidget[] = "Internal error, proxy without widget";

} // namespace

STApplicationProxy::STApplicationProxy()
{
    // One proxy object per name, also where names share a proxy class: each keeps its own
    // binding. Filled here once and never changed afterwards.
    proxies.insert(QStringLiteral("QWidget"), new STWidgetProxy);
    registerControlProxies(proxies);
    registerViewProxies(proxies);
}

STApplicationProxy::~STApplicationProxy()
{
    qDeleteAll(proxies);
    proxies.clear();
}

QByteArray STApplicationProxy::resolveClassName(QWidget *widget, const QString &classHint) const
{
    if (!widget)
        raiseError(ProxyWithoutWidget);
    // From the most derived class towards QObject: the first registered class wins, or,
    // with a hint, the hinted class once it is reached.
    for (const QMetaObject *meta = widget->metaObject(); meta; meta = meta->superClass()) {
        const QString name = QString::fromLatin1(meta->className());
        if (proxies.contains(name) && (classHint.isEmpty() || classHint == name))
            return QByteArray(meta->className());
    }
    raiseMessage(NotDerived + classHint.toLatin1());
}

STWidgetProxy *STApplicationProxy::proxyFor(QWidget *widget, const QString &classHint)
{
    const QByteArray className = resolveClassName(widget, classHint);
    STWidgetProxy *proxy = proxies.value(QString::fromLatin1(className));
    if (!proxy)
        raiseError(NotSupported, widget->metaObject()->className());
    proxy->attach(widget, className.constData());
    return proxy;
}

STWidgetProxy *STApplicationProxy::prepareAction(QWidget *widget, const QString &classHint)
{
    STWidgetProxy *proxy = proxyFor(widget, classHint);
    QWidget *target = proxy->checkedWidget();
    if (!target->isEnabled()) {
        raiseError(WidgetDisabled, target->objectName().toLatin1().constData(),
                   target->metaObject()->className());
    }
    proxy->raiseWidgetWindow();
    proxy->flushEvents = true;
    return proxy;
}

void STApplicationProxy::activateWidget(QWidget *widget, const QString &classHint,
                                        const QVariant &first, const QVariant &second)
{
    prepareAction(widget, classHint)->activate(first, second);
}

void STApplicationProxy::enterWidget(QWidget *widget, const QString &classHint,
                                     const QVariant &value)
{
    prepareAction(widget, classHint)->enter(value);
}

void STApplicationProxy::mouseWidget(QWidget *widget, const QString &classHint,
                                     const QVariant &command)
{
    prepareAction(widget, classHint)->mouse(command);
}

QVariant STApplicationProxy::getProxyProperty(QWidget *widget, const QString &classHint,
                                              const QString &name, const QVariant &parameter)
{
    // A read changes nothing: no enabled check, no raising, flushing left as it was.
    return proxyFor(widget, classHint)->getProperty(name.toLatin1().constData(), parameter);
}

STWidgetProxy *STApplicationProxy::registeredProxy(const QString &className) const
{
    return proxies.value(className);
}
