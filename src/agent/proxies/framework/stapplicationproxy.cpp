#include "stapplicationproxy.h"
#include "sterror.h"
#include "stwidgetproxy.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <typeinfo>

namespace {

const char notDerived[] = "Widget is not derived from class ";
const char notSupported[] = "neither class \"%s\" nor one of its base classes is supported";
const char widgetDisabled[] = "Error: widget \"%1\" of class \"%2\" is disabled.";

} // namespace

// Binds a proxy for the length of one operation. Requests nest when the application waits
// in a dialog or menu of its own while one is served: a request served meanwhile may bind
// a proxy that the waiting one is still using. The waiting operation gets its binding back
// (widget, class name and flushing) when the inner one ends; an operation that nothing
// else is using leaves the proxy as it is today.
class STApplicationProxy::KeptBinding
{
public:
    KeptBinding(STApplicationProxy *registry, QWidget *widget, const QString &classHint)
        : registry(registry)
    {
        QString className;
        proxy = registry->chosenProxy(widget, classHint, &className);
        nested = registry->running.value(proxy) > 0;
        savedWidget = proxy->widget;
        savedClassName = proxy->silkClassName;
        savedFlushEvents = proxy->flushEvents;
        savedEarlierPopup = proxy->earlierPopup;
        ++registry->running[proxy];
        proxy->attach(widget, className);
    }

    ~KeptBinding()
    {
        if (--registry->running[proxy] == 0)
            registry->running.remove(proxy);
        if (nested) {
            proxy->widget = savedWidget;
            proxy->silkClassName = savedClassName;
            proxy->flushEvents = savedFlushEvents;
            proxy->earlierPopup = savedEarlierPopup;
        }
    }

    KeptBinding(const KeptBinding &) = delete;
    KeptBinding &operator=(const KeptBinding &) = delete;

    STApplicationProxy *registry;
    STWidgetProxy *proxy = nullptr;
    bool nested = false;
    QPointer<QWidget> savedWidget;
    QString savedClassName;
    bool savedFlushEvents = true;
    QPointer<QWidget> savedEarlierPopup;
};

STApplicationProxy::STApplicationProxy(const ProxyTable &proxies, WireText::Mode mode)
    : proxies(proxies), agentMode(mode)
{
    // One proxy object per name, also where names share a proxy class: each keeps its own
    // binding. Never changed afterwards.
    if (!this->proxies.contains(QStringLiteral("QWidget")))
        this->proxies.insert(QStringLiteral("QWidget"), new STWidgetProxy);
    for (STWidgetProxy *proxy : qAsConst(this->proxies)) {
        proxy->held = &heldButtons;
        proxy->mode = mode;
    }
}

STApplicationProxy::~STApplicationProxy()
{
    qDeleteAll(proxies);
    proxies.clear();
}

STWidgetProxy *STApplicationProxy::chosenProxy(QWidget *widget, const QString &classHint,
                                               QString *className) const
{
    if (!widget)
        STWidgetProxy::raiseWithoutWidget();
    // From the most derived class towards QObject: the first registered class wins, or,
    // with a hint, the hinted class once it is reached. The table's own key is handed on,
    // so that binding a proxy makes no string.
    for (const QMetaObject *meta = widget->metaObject(); meta; meta = meta->superClass()) {
        const QLatin1String name(meta->className());
        if (!classHint.isEmpty() && classHint != name)
            continue;
        const auto found = proxies.constFind(QString(name));
        if (found == proxies.constEnd())
            continue;
        if (!found.value())
            raiseError(notSupported, widget->metaObject()->className());
        *className = found.key();
        return found.value();
    }
    raiseMessage(QLatin1String(notDerived) + classHint);
}

STWidgetProxy *STApplicationProxy::prepareAction(STWidgetProxy *proxy)
{
    QWidget *target = proxy->checkedWidget();
    if (!target->isEnabled()) {
        raiseWith(widgetDisabled, target->objectName(),
                  QLatin1String(target->metaObject()->className()));
    }
    proxy->earlierPopup = QApplication::activePopupWidget();
    proxy->bringIntoReach();
    proxy->flushEvents = true;
    return proxy;
}

void STApplicationProxy::act(Action action, QWidget *widget, const QString &classHint,
                             const QVariant &first, const QVariant &second,
                             const std::function<void(const QString &)> &bound)
{
    const KeptBinding binding(this, widget, classHint);
    if (bound)
        bound(binding.proxy->silkClassName);
    STWidgetProxy *proxy = prepareAction(binding.proxy);
    switch (action) {
    case Action::Activate:
        proxy->activate(first, second);
        break;
    case Action::Enter:
        proxy->enter(first);
        break;
    case Action::EnterOrType:
        if (typeid(*proxy) == typeid(STWidgetProxy))
            proxy->typeInto(first);
        else
            proxy->enter(first);
        break;
    case Action::Mouse:
        proxy->mouse(first);
        break;
    case Action::Press:
        proxy->press(first);
        break;
    }
}

QVariant STApplicationProxy::getProxyProperty(QWidget *widget, const QString &classHint,
                                              const QString &name, const QVariant &parameter)
{
    // A read changes nothing: no enabled check, no raising, flushing left as it was.
    const KeptBinding bound(this, widget, classHint);
    return bound.proxy->getProperty(name.toLatin1().constData(), parameter);
}
