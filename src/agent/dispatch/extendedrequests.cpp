// The extended mode's own requests: 20, 21, 22.

#include "requesthandlers.h"

#include "addressing/widgetcatalog.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "quick/quickitems.h"
#include "quick/quickrequests.h"

#include <QApplication>
#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QWidget>

using WireProtocol::requestField;

namespace RequestHandlers {

namespace {

QJsonArray rectangle(const QRect &rect)
{
    return QJsonArray{rect.x(), rect.y(), rect.width(), rect.height()};
}

QString className(const QWidget *widget)
{
    return QString::fromLatin1(widget->metaObject()->className());
}

// The Qt class a widget is, or derives from: an application's Editor is a QPlainTextEdit.
QString qtClassName(const QWidget *widget)
{
    for (const QMetaObject *meta = widget->metaObject(); meta; meta = meta->superClass()) {
        const char *name = meta->className();
        if (name[0] == 'Q' && name[1] >= 'A' && name[1] <= 'Z')
            return QString::fromLatin1(name);
    }
    return QStringLiteral("QWidget");
}

} // namespace

QByteArray listWindowsExtended(const Request & /*request*/)
{
    QJsonArray windows;
    const QWidget *active = QApplication::activeWindow();
    const QVector<WidgetCatalog::WindowEntry> entries = WidgetCatalog::windows();
    for (const WidgetCatalog::WindowEntry &entry : entries) {
        const QWidget *window = entry.window;
        windows.append(QJsonObject{
            {QStringLiteral("class"), className(window)},
            {QStringLiteral("name"), window->objectName()},
            {QStringLiteral("title"), window->windowTitle()},
            {QStringLiteral("modal"), window->windowModality() != Qt::NonModal},
            {QStringLiteral("active"), window == active},
            {QStringLiteral("geometry"), rectangle(window->frameGeometry())},
            {QStringLiteral("address"), entry.address},
        });
    }
    const QJsonArray quickWindows = QuickRequests::windowEntries();
    for (const QJsonValue &window : quickWindows)
        windows.append(window);
    return Reply::json(QJsonDocument(windows));
}

QByteArray listWidgets(const Request &request)
{
    QByteArray reply;
    QWidget *window = resolveWindow(request, reply);
    if (!window)
        return orQuickReply(reply, request,
                            [&] { return QuickRequests::listWindowItems(request.line); });

    QJsonArray widgets;
    const QVector<WidgetCatalog::WidgetEntry> entries =
        WidgetCatalog::widgets(window, requestField(request.line, 1));
    const bool withQuick = QuickItems::quickLoaded(); // else no widget can be a QQuickWidget
    for (const WidgetCatalog::WidgetEntry &entry : entries) {
        const QWidget *widget = entry.widget;
        const QRect geometry(widget->mapTo(window, QPoint(0, 0)), widget->size());
        widgets.append(QJsonObject{
            {QStringLiteral("class"), className(widget)},
            {QStringLiteral("qtClass"), qtClassName(widget)},
            {QStringLiteral("name"), widget->objectName()},
            {QStringLiteral("text"), entry.text},
            {QStringLiteral("geometry"), rectangle(geometry)},
            {QStringLiteral("enabled"), widget->isEnabled()},
            {QStringLiteral("focus"), widget->hasFocus()},
            {QStringLiteral("depth"), entry.depth},
            {QStringLiteral("path"), entry.path},
            {QStringLiteral("address"), entry.address},
        });
        if (withQuick && QuickItems::isQuickWidget(widget)) {
            const QJsonArray items = QuickRequests::listedItems(entry.widget, window, entry.depth,
                                                                entry.path, entry.address);
            for (const QJsonValue &item : items)
                widgets.append(item);
        }
    }
    return Reply::json(QJsonDocument(widgets));
}

QByteArray grab(const Request &request)
{
    QByteArray reply;
    // A window without a path; its lookup checks no more than the widget's.
    QWidget *widget = requestField(request.line, 2).isEmpty() ? resolveWindow(request, reply)
                                                              : resolveWidget(request, reply);
    if (!widget)
        return orQuickReply(reply, request, [&] { return QuickRequests::grab(request.line); });

    // Rendered by the widget itself, as on screen, so it works on every platform, the
    // offscreen one included.
    const QPixmap image = widget->grab();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return Reply::exception(QStringLiteral("The widget could not be grabbed"),
                                request.context.mode);
    return Reply::png(png);
}

} // namespace RequestHandlers
