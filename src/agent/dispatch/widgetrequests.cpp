// The requests that work on one widget inside a window: 3, 4, 5, 6, 7, 9, and the extended
// mode's key request 23.

#include "requesthandlers.h"

#include "failureguard.h"
#include "requestframe.h"

#include "addressing/requestlookup.h"
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

QByteArray reportedClass(const QVariant &silkClassName, const QWidget *widget, WireText::Mode mode)
{
    if (silkClassName.userType() == QMetaType::QString)
        return WireText::encode(silkClassName.toString(), mode);
    return widget->metaObject()->className();
}

QByteArray proxyAction(const Request &request, STApplicationProxy::Action action)
{
    const QString &line = request.line;
    const WireText::Mode mode = request.context.mode;
    const QString first = WireText::value(WireProtocol::decodehex(requestField(line, 4)), mode);
    const QString second = WireText::value(WireProtocol::decodehex(requestField(line, 5)), mode);
    QByteArray reply;
    QWidget *found = resolveWidget(request, reply);
    if (!found) {
        const auto code = RequestCode(requestField(line, 0).toInt());
        return orQuickReply(reply, request,
                            [&] { return QuickRequests::action(line, code, action); });
    }
    const QVariant value1 = WireProtocol::typedValue(first);
    const QVariant value2 = WireProtocol::typedValue(second);
    const QString classHint = requestField(line, 3);
    // The action may close and delete the widget (a button that ends its dialog): the
    // widget is not touched after it.
    const QPointer<QWidget> widget(found);

    return failureGuard(mode, [&] {
        QByteArray success;
        request.context.registry->act(action, widget, classHint, value1, value2,
                                      [&](const QString &className) {
                                          success = Reply::className(className, mode);
                                          // Known before the action runs, so it can leave at
                                          // once when the action waits in a dialog or menu
                                          // of the application's own.
                                          if (request.frame)
                                              request.frame->promise(success);
                                      });
        return success;
    });
}

} // namespace

QByteArray orQuickReply(const QByteArray &widgetReply, const Request &request,
                        const std::function<QByteArray()> &quickReply)
{
    // "2": a window field that names no widget window may name a QQuickWindow; "5": a path
    // that names no widget may lead into a QQuickWidget's items.
    if (!request.context.selectors() ||
        !(widgetReply.startsWith("5,") || widgetReply.startsWith("2,")))
        return widgetReply;
    const QByteArray reply = quickReply();
    return reply.isEmpty() ? widgetReply : reply;
}

QWidget *resolveWidget(const Request &request, QByteArray &reply)
{
    const QString window = requestField(request.line, 1);
    const QString path = requestField(request.line, 2);
    const RequestLookup lookup =
        WidgetAddressing::lookUpWidget(window, path, request.lookup, request.context.selectors());
    if (!lookup.malformed.isEmpty()) {
        reply = Reply::exception(lookup.malformed, request.context.mode);
        return nullptr;
    }
    if (lookup.found.kind != NoError) {
        reply = Reply::lookupError(lookup.found.kind, window, path, lookup.found.count);
        return nullptr;
    }
    return lookup.found.widget;
}

QByteArray widgetAtCursor(const Request &request)
{
    STApplicationProxy *registry = request.context.registry;
    QWidget *hit = QApplication::widgetAt(QCursor::pos());
    if (!hit)
        return Reply::replyLine("?", ",,,,,");
    WidgetAddressing::CursorRecord record = WidgetAddressing::cursorRecord(hit);

    QVariant silkClassName;
    try {
        silkClassName = registry->getProxyProperty(record.widget, QString(),
                                                   QStringLiteral("silkClassName"), QVariant());
    } catch (...) {
        // Reading the registry's own class name does not fail in practice; the record
        // then reports the widget's class instead.
    }

    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    const QByteArray hook = QByteArray::number(request.context.hookVersion);
    if (silkClassName.toString() == QLatin1String("QMenu"))
        record = record.asPopup();
    const QByteArray className = reportedClass(silkClassName, record.widget, request.context.mode);
    const QByteArrayList fields{className,
                                QByteArray::number(record.listed),
                                QByteArray::number(record.visible),
                                record.path.toUtf8(),
                                record.windowName.toUtf8(),
                                WireProtocol::encodehex(record.windowField).toLatin1(),
                                pid,
                                hook};
    return Reply::replyLine("?", fields.join(','));
}

QByteArray pointAtWidget(const Request &request)
{
    QByteArray reply;
    QWidget *widget = resolveWidget(request, reply);
    if (!widget)
        return reply;
    widget->activateWindow();
    widget->window()->raise();
    QCursor::setPos(widget->mapToGlobal(QPoint(0, 0)));
    return Reply::className(QString::fromLatin1(widget->metaObject()->className()),
                            request.context.mode);
}

QByteArray activate(const Request &request)
{
    return proxyAction(request, STApplicationProxy::Action::Activate);
}

QByteArray enter(const Request &request)
{
    // The extended mode types into a focusable widget that has no proxy of its own.
    return proxyAction(request, request.context.mode == WireText::Mode::Extended
                                    ? STApplicationProxy::Action::EnterOrType
                                    : STApplicationProxy::Action::Enter);
}

QByteArray mouse(const Request &request)
{
    return proxyAction(request, STApplicationProxy::Action::Mouse);
}

QByteArray key(const Request &request)
{
    return proxyAction(request, STApplicationProxy::Action::Press);
}

QByteArray property(const Request &request)
{
    QByteArray reply;
    QWidget *widget = resolveWidget(request, reply);
    if (!widget)
        return orQuickReply(reply, request, [&] { return QuickRequests::property(request.line); });
    const QString &line = request.line;
    // Only a string parameter ("s:") is one; the field is not hex-encoded.
    const QVariant typed = WireProtocol::typedValue(requestField(line, 5));
    const QVariant parameter = typed.userType() == QMetaType::QString ? typed : QVariant();
    const QString name = requestField(line, 4);
    const WireText::Mode mode = request.context.mode;
    return failureGuard(mode, [&] {
        return Reply::propertyValue(request.context.registry->getProxyProperty(
                                        widget, requestField(line, 3), name, parameter),
                                    mode);
    });
}

} // namespace RequestHandlers
