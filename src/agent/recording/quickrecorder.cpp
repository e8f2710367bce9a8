#include "quickrecorder.h"

#include "recordedfields.h"

#include "addressing/widgetcatalog.h"
#include "qtcompat.h"
#include "quick/quickaddressing.h"
#include "quick/quickitems.h"
#include "quick/quickwindows.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {

bool isTextInput(const QObject *item)
{
    return item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit");
}

QuickScene sceneOf(QObject *receiver)
{
    if (receiver->isWidgetType())
        return QuickScene::ofWidget(static_cast<QWidget *>(receiver));
    return receiver->inherits("QQuickWindow")
               ? QuickScene::ofWindow(static_cast<QWindow *>(receiver))
               : QuickScene();
}

} // namespace

QuickRecorder::QuickRecorder(Append append) : append(std::move(append)) {}

// The listed item that the press at the point reaches: the deepest item that takes it, or the
// nearest listed item holding that one.
QuickRecorder::Place QuickRecorder::placeAt(const QuickScene &scene, const QPoint &scenePoint) const
{
    Place place;
    const QVector<QuickItems::Entry> entries = QuickItems::visibleItems(scene.root());
    QVector<QObject *> listed;
    for (const QuickItems::Entry &entry : entries)
        listed.append(entry.item);
    QObject *item = QuickItems::itemAt(scene.root(), scenePoint);
    while (item && !listed.contains(item))
        item = QuickItems::parentItem(item);
    if (!item)
        return place;
    QString prefix;
    if (QWidget *host = scene.widget()) {
        place.window = WidgetCatalog::windowAddress(host->window());
        prefix = WidgetCatalog::widgetAddress(host, place.window);
        if (prefix.isEmpty())
            return place;
        prefix += QLatin1Char('/');
    } else {
        place.window = QuickWindows::address(scene.window());
    }
    place.item = item;
    place.address = prefix + QuickAddressing::itemAddress(item, listed);
    if (isTextInput(item))
        place.startText = item->property("text").toString();
    return place;
}

bool QuickRecorder::mouseEvent(QObject *receiver, QEvent *event)
{
    const QuickScene scene = sceneOf(receiver);
    if (scene.isNull())
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return true;
    const Place place = placeAt(scene, QtCompat::localPos(mouse));
    if (event->type() == QEvent::MouseButtonPress) {
        pressed = place;
        if (place.item && isTextInput(place.item) && place.item != typing.item) {
            flushTyping();
            typing = place;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (place.item && place.item == pressed.item && !isTextInput(place.item))
            released(place);
        pressed = Place();
    }
    return true;
}

void QuickRecorder::released(const Place &place)
{
    flushTyping();
    QObject *item = place.item;
    QString value;
    // The click toggles a box after this event is handled: its step holds the state the
    // click leaves; a radio button's is always checked.
    if (item->inherits("QQuickAbstractButton") && item->property("checkable").toBool()) {
        const bool radio = item->inherits("QQuickRadioButton");
        value = radio || !item->property("checked").toBool() ? QStringLiteral("b:true")
                                                             : QStringLiteral("b:false");
    }
    append(RecordedSteps::activate(RecordTarget::decided(place.window, place.address),
                                   value.isEmpty() ? QStringList() : QStringList{value}));
}

void QuickRecorder::flushTyping()
{
    const Place field = typing;
    typing = Place();
    if (!field.item)
        return;
    const QString text = field.item->property("text").toString();
    if (text == field.startText)
        return;
    const bool secret = field.item->property("echoMode").toInt() != 0;
    append(RecordedSteps::enter(RecordTarget::decided(field.window, field.address), text, secret));
}
