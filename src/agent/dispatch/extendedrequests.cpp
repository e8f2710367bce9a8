// The extended mode's own requests: 20, 21, 22.

#include "requesthandlers.h"

#include "addressing/widgetcatalog.h"
#include "protocol/jsonwriter.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "quick/quickitems.h"
#include "quick/quickrequests.h"

#include <QApplication>
#include <QBuffer>
#include <QHash>
#include <QJsonArray>
#include <QPixmap>
#include <QWidget>

using WireProtocol::requestField;

namespace RequestHandlers {

namespace {

void rectangle(JsonWriter &json, const QRect &rect)
{
    json.beginArray();
    json.number(rect.x());
    json.number(rect.y());
    json.number(rect.width());
    json.number(rect.height());
    json.endArray();
}

QLatin1String className(const QWidget *widget)
{
    return QLatin1String(widget->metaObject()->className());
}

// The class fields of the listing's entries, written once per class: the widgets of a
// window share a few dozen classes.
class ClassFields
{
public:
    struct Written
    {
        QByteArray className;
        QByteArray qtClass;
    };

    const Written &of(const QMetaObject *meta)
    {
        auto found = known.constFind(meta);
        if (found == known.constEnd()) {
            found = known.insert(meta, {written(QLatin1String(meta->className())),
                                        written(WidgetCatalog::qtClassName(meta))});
        }
        return *found;
    }

private:
    static QByteArray written(QLatin1String name)
    {
        JsonWriter json;
        json.string(name);
        return json.take();
    }

    QHash<const QMetaObject *, Written> known;
};

// The keys go in the order QJsonObject sorted them when it built these replies.
void widgetEntry(JsonWriter &json, const WidgetCatalog::WidgetEntry &entry,
                 ClassFields &classFields)
{
    const ClassFields::Written &classes = classFields.of(entry.meta);
    json.beginObject();
    json.key(QLatin1String("address"));
    json.string(entry.address);
    json.key(QLatin1String("class"));
    json.written(classes.className);
    json.key(QLatin1String("depth"));
    json.number(entry.depth);
    json.key(QLatin1String("enabled"));
    json.boolean(entry.enabled);
    json.key(QLatin1String("focus"));
    json.boolean(entry.focus);
    json.key(QLatin1String("geometry"));
    rectangle(json, entry.geometry);
    json.key(QLatin1String("name"));
    json.string(entry.objectName);
    json.key(QLatin1String("path"));
    json.string(entry.path);
    json.key(QLatin1String("qtClass"));
    json.written(classes.qtClass);
    json.key(QLatin1String("text"));
    json.string(entry.text);
    json.endObject();
}

void windowEntry(JsonWriter &json, const WidgetCatalog::WindowEntry &entry, const QWidget *active)
{
    const QWidget *window = entry.window;
    json.beginObject();
    json.key(QLatin1String("active"));
    json.boolean(window == active);
    json.key(QLatin1String("address"));
    json.string(entry.address);
    json.key(QLatin1String("class"));
    json.string(className(window));
    json.key(QLatin1String("geometry"));
    rectangle(json, window->frameGeometry());
    json.key(QLatin1String("modal"));
    json.boolean(window->windowModality() != Qt::NonModal);
    json.key(QLatin1String("name"));
    json.string(window->objectName());
    json.key(QLatin1String("title"));
    json.string(window->windowTitle());
    json.endObject();
}

} // namespace

QByteArray listWindowsExtended(const Request & /*request*/)
{
    const QWidget *active = QApplication::activeWindow();
    const QVector<WidgetCatalog::WindowEntry> entries = WidgetCatalog::windows();
    JsonWriter json(Reply::jsonHead, 200 * entries.size());
    json.beginArray();
    for (const WidgetCatalog::WindowEntry &entry : entries)
        windowEntry(json, entry, active);
    const QJsonArray quickWindows = QuickRequests::windowEntries();
    for (const QJsonValue &window : quickWindows)
        json.value(window);
    json.endArray();
    return json.take();
}

QByteArray listWidgets(const Request &request)
{
    QByteArray reply;
    QWidget *window = resolveWindow(request, reply);
    if (!window)
        return orQuickReply(reply, request,
                            [&] { return QuickRequests::listWindowItems(request.line); });

    const QVector<WidgetCatalog::WidgetEntry> entries =
        WidgetCatalog::widgets(window, requestField(request.line, 1));
    const bool withQuick = QuickItems::quickLoaded(); // else no widget can be a QQuickWidget
    JsonWriter json(Reply::jsonHead, 240 * entries.size());
    ClassFields classFields;
    json.beginArray();
    for (const WidgetCatalog::WidgetEntry &entry : entries) {
        widgetEntry(json, entry, classFields);
        if (withQuick && QuickItems::isQuickWidget(entry.widget)) {
            const QJsonArray items = QuickRequests::listedItems(entry.widget, window, entry.depth,
                                                                entry.path, entry.address);
            for (const QJsonValue &item : items)
                json.value(item);
        }
    }
    json.endArray();
    return json.take();
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
