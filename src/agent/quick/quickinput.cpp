#include "quickinput.h"

#include "quickitems.h"

#include "proxies/framework/mousecommand.h"
#include "proxies/framework/sterror.h"
#include "proxies/framework/stwidgetproxy.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {

const char notDelivered[] = "Error: a press aimed at %s \"%s\" would reach %s \"%s\": "
                            "it is covered or outside its view";
const char coveredByWidget[] = "Error: %s \"%s\" is covered by widget \"%s\" of class \"%s\"";
const char stateNotReached[] = "Error: %s \"%s\" did not become %s";
const char notTyped[] = "Error: the text typed into %s \"%s\" did not arrive: it reads \"%s\"";
const char notText[] = "Error: %s \"%s\" takes no text";
const char noFocus[] = "Error: %s \"%s\" does not take the keyboard focus";
const char noEntry[] = "Error: no entry of %s \"%s\" reads \"%s\"";
const char notChosen[] = "Error: choosing \"%s\" in %s \"%s\" did not make it current";
// An animation moves an item in steps one frame apart (16 ms at 60 Hz).
const int restMs = 50;
const char itemGone[] = "Error: the item was deleted while it was being driven";

QByteArray describe(const QObject *item)
{
    return QuickItems::qmlType(item).toUtf8();
}

QByteArray named(const QObject *item)
{
    const QString name = item->objectName();
    return (name.isEmpty() ? QuickItems::text(item) : name).toUtf8();
}

bool isTextInput(const QObject *item)
{
    return item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit");
}

} // namespace

QuickInput::QuickInput(const QuickScene &scene, QObject *item) : scene(scene), item(item) {}

QWidget *QuickInput::inputOwner() const
{
    return scene.widget();
}

void QuickInput::click(QObject *aimed)
{
    // Raising the window runs events, in which a delegate may be recycled.
    const QPointer<QObject> target = aimed;
    if (scene.isNull() || !target)
        raiseError(itemGone);
    raiseWindow();
    if (!target)
        raiseError(itemGone);
    clickAt(checkReachable(target, [](QRect rect) { return QRectF(rect).center().toPoint(); }));
    flush();
}

void QuickInput::mouse(const QString &command)
{
    const MouseCommand read = MouseCommand::read(command, MouseCommand::Widget);
    if (scene.isNull() || !item)
        raiseError(itemGone);
    raiseWindow();
    const MouseCommand::Gesture gesture = read.gesture();
    const QPoint point = checkReachable(item, [&read](QRect rect) { return read.pointIn(rect); });
    const Qt::MouseButton button = gesture.button;
    const Qt::KeyboardModifiers modifiers = gesture.modifiers;
    switch (gesture.action) {
    case MouseCommand::Move:
        sendMouse(QEvent::MouseMove, point, Qt::NoButton, modifiers);
        break;
    case MouseCommand::Press:
    case MouseCommand::Release:
        sendMouse(gesture.action == MouseCommand::Press ? QEvent::MouseButtonPress
                                                        : QEvent::MouseButtonRelease,
                  point, button, modifiers);
        break;
    case MouseCommand::DoubleClick:
        sendMouse(QEvent::MouseButtonPress, point, button, modifiers);
        sendMouse(QEvent::MouseButtonRelease, point, button, modifiers);
        // A window makes the second press a double click itself, as it does a user's.
        sendMouse(scene.widget() ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, point,
                  button, modifiers);
        sendMouse(QEvent::MouseButtonRelease, point, button, modifiers);
        break;
    case MouseCommand::Click:
        sendMouse(QEvent::MouseButtonPress, point, button, modifiers);
        sendMouse(QEvent::MouseButtonRelease, point, button, modifiers);
        break;
    }
    flush();
}

// A press at the point `aim` picks in the target's scene rectangle must stop at the target,
// inside it, or (for a target that lets presses through, a label) at what holds it; anything
// else covers it. A target that is not reachable yet may be on its way: it is checked again
// once at rest, where it is then. Returns the point.
QPoint QuickInput::checkReachable(QObject *aimed, const std::function<QPoint(QRect)> &aim)
{
    const QPointer<QObject> target = aimed;
    QPoint point = aim(QuickItems::sceneRect(target));
    if (!reachable(target, point)) {
        waitForRest(target);
        if (!target || !item)
            raiseError(itemGone);
        point = aim(QuickItems::sceneRect(target));
    }
    if (!reachable(target, point)) {
        const QObject *hit = QuickItems::itemAt(scene.root(), point);
        raiseError(notDelivered, describe(target).constData(), named(target).constData(),
                   hit ? describe(hit).constData() : "nothing", hit ? named(hit).constData() : "");
    }
    checkNotCovered(point, target);
    return point;
}

bool QuickInput::reachable(QObject *target, const QPoint &scenePoint) const
{
    const QObject *hit = QuickItems::itemAt(scene.root(), scenePoint);
    return hit && (QuickItems::isInside(hit, target) || QuickItems::isInside(target, hit));
}

// Qt Quick animates what appears (a dialog grows and fades in, a list lays out its
// delegates): an item that is not reachable yet may be on its way. It is at rest once its
// place, size and the scale and opacity of what holds it have not changed for three frames.
void QuickInput::waitForRest(QObject *aimed)
{
    const QPointer<QObject> target = aimed;
    const auto state = [this, target] {
        qreal shown = 1;
        for (const QObject *at = target; at; at = QuickItems::parentItem(at))
            shown *= at->property("scale").toReal() * at->property("opacity").toReal();
        return qMakePair(QuickItems::sceneRect(target), shown);
    };
    auto last = state();
    QElapsedTimer still;
    still.start();
    waitUntil(
        [&] {
            if (!item || !target)
                return true;
            const auto now = state();
            if (now != last) {
                last = now;
                still.restart();
            }
            return still.elapsed() >= restMs;
        },
        inputTimeoutMs());
}

// A widget of the program laid over a QQuickWidget (an overlay, a sibling stacked above it)
// takes the click where it shows. A window that is no widget's (a QQuickWindow on a platform
// that stacks none) is left to the scene's own check.
void QuickInput::checkNotCovered(const QPoint &scenePoint, const QObject *target) const
{
    QWidget *host = scene.widget();
    if (!host)
        return;
    QWidget *under = QApplication::widgetAt(scene.mapToGlobal(scenePoint));
    if (under && under != host && !host->isAncestorOf(under)) {
        raiseError(coveredByWidget, describe(target).constData(), named(target).constData(),
                   under->objectName().toUtf8().constData(), under->metaObject()->className());
    }
}

// Brings the scene's window to the front and makes it active, as a user's click on it would:
// a scene gives its items the active focus only while its window is active.
void QuickInput::raiseWindow()
{
    // The wait runs events, which may close the scene's widget or window.
    if (const QPointer<QWidget> widget = scene.widget()) {
        widget->window()->raise();
        widget->activateWindow();
        waitUntil([widget] { return !widget || widget->isActiveWindow(); }, inputTimeoutMs());
    } else if (const QPointer<QWindow> window = scene.window()) {
        window->raise();
        window->requestActivate();
        waitUntil([window] { return !window || window->isActive(); }, inputTimeoutMs());
    }
}

void QuickInput::clickAt(const QPoint &scenePoint)
{
    sendMouse(QEvent::MouseButtonPress, scenePoint, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, scenePoint, Qt::LeftButton);
}

// A button event goes to the QQuickWidget, which hands it to the item under the point; that
// this is the target was checked on the scene's own items. A QQuickWindow takes it as the
// window system delivers it (Qt 6's Qt Quick ignores mouse events posted to it directly), at
// once, like the widget's.
void QuickInput::sendMouse(QEvent::Type type, const QPoint &scenePoint, Qt::MouseButton button,
                           Qt::KeyboardModifiers modifiers)
{
    const QPointF global = scene.mapToGlobal(scenePoint);
    const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    const Qt::MouseButtons held = down ? Qt::MouseButtons(button) : Qt::NoButton;
    if (QWidget *widget = scene.widget()) {
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, QPointF(scenePoint), global, button, held, modifiers));
    } else {
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::SynchronousDelivery>(
            scene.window(), QPointF(scenePoint), global, held, button, type, modifiers);
    }
}

void QuickInput::keyInWindow(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
            scene.window(), type, key, modifiers, text);
    }
}

void QuickInput::typeInWindow(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            keyInWindow(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else
            keyInWindow(c.isLetterOrNumber() ? int(c.toUpper().unicode()) : 0, Qt::NoModifier, c);
    }
}

void QuickInput::pressKeyText(const QString &keys)
{
    const QVector<int> sequence = STWidgetProxy::keysOf(keys);
    focusItem();
    if (scene.widget()) {
        pressKeys(sequence);
        return;
    }
    for (const int combined : sequence) {
        const auto modifiers = Qt::KeyboardModifiers(combined & Qt::KeyboardModifierMask);
        const int key = combined & ~Qt::KeyboardModifierMask;
        const QString text = key == Qt::Key_Return ? QStringLiteral("\r")
                             : key < 0x1000000 && !(modifiers & ~Qt::ShiftModifier)
                                 ? QString(QChar(key)).toLower()
                                 : QString();
        keyInWindow(key, modifiers, text);
    }
    flush();
}

void QuickInput::activate(const QVariant &value)
{
    if (!item)
        raiseError(itemGone);
    if (value.userType() == QMetaType::Bool && item->property("checkable").isValid() &&
        item->inherits("QQuickAbstractButton")) {
        setChecked(value.toBool());
    } else if (value.userType() == QMetaType::QString &&
               (item->inherits("QQuickComboBox") || item->inherits("QQuickTabBar") ||
                item->inherits("QQuickListView"))) {
        choose(value.toString());
    } else {
        click(item);
    }
}

void QuickInput::setChecked(bool wanted)
{
    if (item->property("checked").toBool() == wanted)
        return;
    click(item);
    if (!waitUntil([this, wanted] { return item && item->property("checked").toBool() == wanted; },
                   inputTimeoutMs())) {
        raiseError(stateNotReached, describe(item).constData(), named(item).constData(),
                   wanted ? "checked" : "unchecked");
    }
}

// The delegate or button inside `list` that reads `entry`, among those made and visible.
QObject *QuickInput::entryReading(QObject *list, const QString &entry)
{
    const QVector<QuickItems::Entry> entries = QuickItems::visibleItems(list);
    for (const QuickItems::Entry &candidate : entries) {
        if (candidate.item->inherits("QQuickControl") && QuickItems::text(candidate.item) == entry)
            return candidate.item;
    }
    return nullptr;
}

void QuickInput::choose(const QString &entry)
{
    QObject *list = item;
    if (item->inherits("QQuickComboBox")) {
        if (item->property("currentText").toString() == entry)
            return;
        click(item); // opens its list, a ListView in the popup
        const QPointer<QObject> popup = item->property("popup").value<QObject *>();
        waitUntil([popup] { return popup && popup->property("opened").toBool(); },
                  inputTimeoutMs());
        list = popup ? popup->property("contentItem").value<QObject *>() : nullptr;
    }
    QObject *target = list ? entryReading(list, entry) : nullptr;
    if (!target) {
        raiseError(noEntry, describe(item).constData(), named(item).constData(),
                   entry.toUtf8().constData());
    }
    click(target);
    const auto chosen = [this, target, entry] {
        if (!item)
            return false;
        if (item->inherits("QQuickComboBox"))
            return item->property("currentText").toString() == entry;
        if (item->inherits("QQuickTabBar"))
            return item->property("currentItem").value<QObject *>() == target;
        return true; // a list view's delegate decides what its click does
    };
    if (!waitUntil(chosen, inputTimeoutMs())) {
        raiseError(notChosen, entry.toUtf8().constData(), describe(item).constData(),
                   named(item).constData());
    }
}

void QuickInput::focusItem()
{
    if (scene.isNull() || !item)
        raiseError(itemGone);
    raiseWindow();
    if (scene.widget())
        focusOwner();
    QMetaObject::invokeMethod(item, "forceActiveFocus");
    if (!waitUntil([this] { return item && item->property("activeFocus").toBool(); },
                   inputTimeoutMs())) {
        raiseError(noFocus, describe(item).constData(), named(item).constData());
    }
    if (scene.widget())
        awaitKeyFocus();
}

void QuickInput::enter(const QString &text)
{
    if (!item)
        raiseError(itemGone);
    if (!isTextInput(item))
        raiseError(notText, describe(item).constData(), named(item).constData());
    focusItem();
    QMetaObject::invokeMethod(item, "selectAll");
    if (scene.window())
        text.isEmpty() ? keyInWindow(Qt::Key_Backspace, Qt::NoModifier, QString())
                       : typeInWindow(text);
    else if (text.isEmpty())
        keyClick(Qt::Key_Backspace);
    else
        typeTextAsKeyboard(text);
    flush();
    const auto arrived = [this, text] { return item && item->property("text").toString() == text; };
    if (!waitUntil(arrived, inputTimeoutMs())) {
        // A password field's text stays out of the message as it stays off the screen.
        const bool masked = item && item->property("echoMode").toInt() != 0;
        raiseError(notTyped, describe(item).constData(), named(item).constData(),
                   masked ? "********"
                   : item ? item->property("text").toString().toUtf8().constData()
                          : "");
    }
}
