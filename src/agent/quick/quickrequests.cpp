#include "quickrequests.h"

#include "quickaddressing.h"
#include "quickinput.h"
#include "quickitems.h"
#include "quickwindows.h"

#include "dispatch/failureguard.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "protocol/wiretext.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QUrl>
#include <QWidget>
#include <QWindow>

using WireProtocol::requestField;

namespace QuickRequests {

namespace {

// Qt Quick scenes are reached in the extended mode only.
constexpr WireText::Mode extended = WireText::Mode::Extended;

const char noItem[] = "Error: the path names no item of the Qt Quick window";

QuickAddressing::ItemLookup lookUp(const QString &line, RequestCode code)
{
    ResolveVariant variant;
    variant.selectors = true;
    if (code != RequestCode::Property)
        variant.check = WindowCheck::Lenient;
    return QuickAddressing::resolve(requestField(line, 1), requestField(line, 2), variant);
}

// Whether the window field and path reached a scene: else the widget lookup's reply stands.
bool reached(const QuickAddressing::ItemLookup &found)
{
    return !found.scene.isNull() || found.kind == WindowAmbiguousError;
}

QByteArray lookupReply(const QuickAddressing::ItemLookup &found, const QString &line)
{
    return Reply::lookupError(found.kind, requestField(line, 1), requestField(line, 2),
                              found.count);
}

QJsonArray rectangle(const QRect &rect)
{
    return QJsonArray{rect.x(), rect.y(), rect.width(), rect.height()};
}

QByteArray pngReply(const QPixmap &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return Reply::exception(QStringLiteral("The item could not be grabbed"), extended);
    return Reply::png(png);
}

// The entries of a scene's items: `prefix` before every path and address ("quickPanel/" in
// a widget window, nothing in a QQuickWindow), geometry moved by `origin`.
QJsonArray itemEntries(const QuickScene &scene, int depth, const QString &pathPrefix,
                       const QString &addressPrefix, const QPoint &origin)
{
    QJsonArray listed;
    const QVector<QuickItems::Entry> entries = QuickItems::visibleItems(scene.root());
    QVector<QObject *> items;
    for (const QuickItems::Entry &entry : entries)
        items.append(entry.item);
    for (const QuickItems::Entry &entry : entries) {
        const QObject *item = entry.item;
        const QString element = QuickAddressing::itemAddress(item, items);
        listed.append(QJsonObject{
            {QStringLiteral("class"), QuickItems::qmlType(item)},
            {QStringLiteral("qtClass"), QuickItems::qtClass(item)},
            {QStringLiteral("name"), item->objectName()},
            {QStringLiteral("text"), QuickItems::text(item)},
            {QStringLiteral("geometry"), rectangle(QuickItems::sceneRect(item).translated(origin))},
            {QStringLiteral("enabled"), item->property("enabled").toBool()},
            {QStringLiteral("focus"), item->property("activeFocus").toBool()},
            {QStringLiteral("depth"), depth + entry.depth},
            {QStringLiteral("path"), pathPrefix + element},
            {QStringLiteral("address"), addressPrefix + element},
        });
    }
    return listed;
}

} // namespace

QByteArray action(const QString &line, RequestCode code, STApplicationProxy::Action action)
{
    QuickAddressing::ItemLookup found = lookUp(line, code);
    if (!reached(found))
        return QByteArray();
    if (found.kind != NoError)
        return lookupReply(found, line);
    // Keys without a path go where a keyboard's would: to the item with the active focus.
    if (!found.item && code == RequestCode::Key && found.scene.window()) {
        found.item = found.scene.window()->property("activeFocusItem").value<QObject *>();
        if (!found.item)
            found.item = found.scene.root();
    }
    if (!found.item)
        return Reply::exception(QString::fromLatin1(noItem), extended);
    const QString first = WireText::value(WireProtocol::decodehex(requestField(line, 4)), extended);
    const QVariant value = WireProtocol::typedValue(first);
    const QString type = QuickItems::qmlType(found.item);
    return failureGuard(extended, [&] {
        QuickInput input(found.scene, found.item);
        switch (action) {
        case STApplicationProxy::Action::Activate:
            input.activate(value);
            break;
        case STApplicationProxy::Action::Enter:
        case STApplicationProxy::Action::EnterOrType:
            input.enter(value.toString());
            break;
        case STApplicationProxy::Action::Press:
            input.pressKeyText(value.toString());
            break;
        case STApplicationProxy::Action::Mouse:
            input.mouse(value.toString());
            break;
        }
        return Reply::className(type, extended);
    });
}

QByteArray property(const QString &line)
{
    const QuickAddressing::ItemLookup found = lookUp(line, RequestCode::Property);
    if (!reached(found))
        return QByteArray();
    if (found.kind != NoError)
        return lookupReply(found, line);
    if (!found.item)
        return Reply::exception(QString::fromLatin1(noItem), extended);
    const QByteArray name = requestField(line, 4).toLatin1();
    const QObject *item = found.item;
    if (name == "className")
        return Reply::propertyValue(QuickItems::qmlType(item), extended);
    if (name == "qtClass")
        return Reply::propertyValue(QuickItems::qtClass(item), extended);
    if (name == "globalRect") {
        const QRect scene = QuickItems::sceneRect(item);
        return Reply::propertyValue(QRect(found.scene.mapToGlobal(scene.topLeft()), scene.size()),
                                    extended);
    }
    QVariant value = item->property(name.constData());
    // QML's url properties (an image's source, an icon's) read as the text QML writes them.
    if (value.userType() == QMetaType::QUrl)
        value = value.toUrl().toString();
    if (value.isValid())
        return Reply::propertyValue(value, extended);
    if (name == "text")
        return Reply::propertyValue(QuickItems::text(item), extended);
    return Reply::exception(QStringLiteral("Error: %1 has no property \"%2\"")
                                .arg(QuickItems::qmlType(item), QString::fromLatin1(name)),
                            extended);
}

QByteArray grab(const QString &line)
{
    const QuickAddressing::ItemLookup found = lookUp(line, RequestCode::Property);
    if (!reached(found))
        return QByteArray();
    if (found.kind != NoError)
        return lookupReply(found, line);
    return pngReply(found.scene.grab(found.item ? QuickItems::sceneRect(found.item) : QRect()));
}

QByteArray checkWindow(const QString &line)
{
    const QVector<QWindow *> windows = QuickWindows::find(requestField(line, 1));
    if (windows.isEmpty())
        return QByteArray();
    if (windows.size() > 1)
        return Reply::lookupError(WindowAmbiguousError, requestField(line, 1), QString(),
                                  windows.size());
    return Reply::text(windows.first()->title());
}

QByteArray listWindowItems(const QString &line)
{
    const QVector<QWindow *> windows = QuickWindows::find(requestField(line, 1));
    if (windows.size() != 1)
        return QByteArray();
    const QuickScene scene = QuickScene::ofWindow(windows.first());
    return Reply::json(QJsonDocument(itemEntries(scene, 0, QString(), QString(), QPoint(0, 0))));
}

QJsonArray listedItems(QWidget *host, const QWidget *window, int depth, const QString &path,
                       const QString &address)
{
    return itemEntries(QuickScene::ofWidget(host), depth, path + QLatin1Char('/'),
                       address + QLatin1Char('/'), host->mapTo(window, QPoint(0, 0)));
}

QStringList windowListEntries()
{
    QStringList entries;
    const QVector<QWindow *> windows = QuickWindows::shown();
    for (const QWindow *window : windows) {
        const char *modality = window->modality() != Qt::NonModal ? " (M) : " : " : ";
        entries << QString::fromLatin1(window->metaObject()->className()) +
                       QLatin1String(modality) + QLatin1Char('"') + window->title() +
                       QLatin1Char('"');
    }
    return entries;
}

QJsonArray windowEntries()
{
    QJsonArray entries;
    const QVector<QWindow *> windows = QuickWindows::shown();
    for (QWindow *window : windows) {
        entries.append(QJsonObject{
            {QStringLiteral("class"), QString::fromLatin1(window->metaObject()->className())},
            {QStringLiteral("name"), window->objectName()},
            {QStringLiteral("title"), window->title()},
            {QStringLiteral("modal"), window->modality() != Qt::NonModal},
            {QStringLiteral("active"), window == QGuiApplication::focusWindow()},
            {QStringLiteral("geometry"), rectangle(window->frameGeometry())},
            {QStringLiteral("address"), QuickWindows::address(window)},
        });
    }
    return entries;
}

} // namespace QuickRequests
