// The requests that work on one widget inside a window: 3, 4, 5, 6, 7, 9, and the extended
// mode's key request 23.

#include "requesthandlers.h"

#include "failureguard.h"
#include "requestframe.h"

#include "addressing/widgetaddressing.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "proxies/framework/stapplicationproxy.h"
#include "protocol/wiretext.h"
#include "quick/quickrequests.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QWidget>

using WireProtocol::requestField;

namespace RequestHandlers {

namespace {

QByteArray reportedClass(const QVariant &silkClassName, const QWidget *widget)
{
    if (silkClassName.userType() == QMetaType::QString)
        return WireText::encode(silkClassName.toString());
    return widget->metaObject()->className();
}

ResolveVariant variantFor(RequestCode code)
{
    ResolveVariant variant;
    switch (code) {
    case RequestCode::PointAtWidget:
        variant.plainCandidates = true;
        break;
    case RequestCode::Property:
        variant.activePopupElement = true;
        break;
    default: // the proxy actions
        variant.check = WindowCheck::Lenient;
        variant.popupPassesAnyWindow = code == RequestCode::Mouse;
        variant.activePopupElement = true;
        variant.focusWidgetElement = true;
        break;
    }
    return variant;
}

} // namespace

QByteArray orQuickReply(const QByteArray &widgetReply, Addressing addressing,
                        const std::function<QByteArray()> &quickReply)
{
    // "2": a window field that names no widget window may name a QQuickWindow; "5": a path
    // that names no widget may lead into a QQuickWidget's items.
    if (addressing != Addressing::Selectors ||
        !(widgetReply.startsWith("5,") || widgetReply.startsWith("2,")))
        return widgetReply;
    const QByteArray reply = quickReply();
    return reply.isEmpty() ? widgetReply : reply;
}

// Resolves fields 1 and 2; on failure the error reply is stored in reply.
QWidget *resolveWidget(const QString &line, RequestCode code, Addressing addressing,
                       QByteArray &reply)
{
    const QString window = requestField(line, 1);
    const QString path = requestField(line, 2);
    ResolveVariant variant = variantFor(code);
    if (addressing == Addressing::Selectors) {
        const QString error = WidgetAddressing::selectorSyntaxError(window, path);
        if (!error.isEmpty()) {
            reply = Reply::exception(error);
            return nullptr;
        }
        variant.selectors = true;
        // A tester reads a hidden panel's properties ("visible" above all) and those of the
        // widget with the focus.
        if (code == RequestCode::Property) {
            variant.hiddenTarget = true;
            variant.focusWidgetElement = true;
        }
    }
    // Keys without a path go where a keyboard's would once the window is active: to its
    // focus widget, or to the window itself when nothing in it has the focus.
    if (code == RequestCode::Key && path.isEmpty()) {
        const LookupResult found =
            WidgetAddressing::resolveWindow(window, variant.check, ActiveWidgets::current(),
                                            variant.popupPassesAnyWindow, variant.selectors);
        if (found.kind != NoError) {
            reply = Reply::lookupError(found.kind, window, path, found.count);
            return nullptr;
        }
        QWidget *focus = found.window->focusWidget();
        return focus ? focus : found.window;
    }
    const LookupResult found = WidgetAddressing::resolveWidget(window, path, variant);
    if (found.kind != NoError) {
        reply = Reply::lookupError(found.kind, window, path, found.count);
        return nullptr;
    }
    return found.widget;
}

QByteArray widgetAtCursor(STApplicationProxy *registry, int hookVersion)
{
    QWidget *hit = QApplication::widgetAt(QCursor::pos());
    if (!hit)
        return Reply::replyLine("?", ",,,,,");
    const WidgetAddressing::CursorRecord record = WidgetAddressing::cursorRecord(hit);

    QVariant silkClassName;
    try {
        silkClassName = registry->getProxyProperty(record.widget, QString(),
                                                   QStringLiteral("silkClassName"), QVariant());
    } catch (...) {
        // Reading the registry's own class name does not fail in practice; the record
        // then reports the widget's class instead.
    }

    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    const QByteArray hook = QByteArray::number(hookVersion);
    QByteArrayList fields;
    if (silkClassName.toString() == QLatin1String("QMenu")) {
        fields << "QMenu"
               << "1"
               << "1" << WidgetAddressing::popupElementName.toUtf8() << record.windowName.toUtf8()
               << WireProtocol::encodehex(WidgetAddressing::popupWindowName).toLatin1() << pid
               << hook;
    } else {
        fields << reportedClass(silkClassName, record.widget) << QByteArray::number(record.listed)
               << QByteArray::number(record.visible) << record.path.toUtf8()
               << record.windowName.toUtf8()
               << WireProtocol::encodehex(record.widget->window()->windowTitle()).toLatin1() << pid
               << hook;
    }
    return Reply::replyLine("?", fields.join(','));
}

QByteArray pointAtWidget(const QString &line, Addressing addressing)
{
    QByteArray reply;
    QWidget *widget = resolveWidget(line, RequestCode::PointAtWidget, addressing, reply);
    if (!widget)
        return reply;
    widget->activateWindow();
    widget->window()->raise();
    QCursor::setPos(widget->mapToGlobal(QPoint(0, 0)));
    return Reply::className(QString::fromLatin1(widget->metaObject()->className()));
}

QByteArray proxyAction(STApplicationProxy *registry, const QString &line, RequestCode code,
                       STApplicationProxy::Action action, Addressing addressing)
{
    const QString first = WireText::value(WireProtocol::decodehex(requestField(line, 4)));
    const QString second = WireText::value(WireProtocol::decodehex(requestField(line, 5)));
    QByteArray reply;
    QWidget *found = resolveWidget(line, code, addressing, reply);
    if (!found)
        return orQuickReply(reply, addressing,
                            [&] { return QuickRequests::action(line, code, action); });
    const QVariant value1 = WireProtocol::typedValue(first);
    const QVariant value2 = WireProtocol::typedValue(second);
    const QString classHint = requestField(line, 3);
    // The action may close and delete the widget (a button that ends its dialog): the
    // widget is not touched after it.
    const QPointer<QWidget> widget(found);

    return failureGuard([&] {
        QByteArray success;
        registry->act(action, widget, classHint, value1, value2, [&](const QString &className) {
            success = Reply::replyLine("0", WireText::encode(className));
            // Known before the action runs, so it can leave at once when the action waits
            // in a dialog or menu of the application's own.
            RequestFrame::promise(success);
        });
        return success;
    });
}

QByteArray property(STApplicationProxy *registry, const QString &line, Addressing addressing)
{
    QByteArray reply;
    QWidget *widget = resolveWidget(line, RequestCode::Property, addressing, reply);
    if (!widget)
        return orQuickReply(reply, addressing, [&] { return QuickRequests::property(line); });
    const QString valueField = requestField(line, 5);
    const QVariant parameter =
        valueField.startsWith(QLatin1String("s:")) ? QVariant(valueField.mid(2)) : QVariant();
    const QString name = requestField(line, 4);
    return failureGuard([&] {
        return Reply::propertyValue(
            registry->getProxyProperty(widget, requestField(line, 3), name, parameter));
    });
}

} // namespace RequestHandlers
