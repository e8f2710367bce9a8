#pragma once

#include <QRect>
#include <QString>
#include <QVector>

class QObject;
class QWidget;

// The items of Qt Quick scenes shown inside a Widgets program, reached without linking Qt
// Quick: a program that has no Qt Quick never loads it because of the agent. Items are read
// through their meta-objects alone (QQuickItem's properties: x, y, width, height, visible,
// enabled, parent and the `children` list), and the one entry point that is not a property,
// the scene of a QQuickWidget, is looked up in the process when asked for: it is there
// exactly when the program itself has loaded Qt Quick Widgets.
namespace QuickItems {

// Whether the program has Qt Quick loaded: without it there are no items, and the lookups
// of widget-only programs skip every step of this folder.
bool quickLoaded();

// Whether the widget is a QQuickWidget (or derives from one).
bool isQuickWidget(const QWidget *widget);

// The root item of a QQuickWidget's scene; null for any other widget or when the scene is
// not made yet.
QObject *rootOf(QWidget *quickWidget);

// An item's child items in stacking order (QQuickItem::childItems()).
QVector<QObject *> childItems(QObject *item);
// An item's parent item, null at the root.
QObject *parentItem(const QObject *item);
bool isItem(const QObject *object);
// Whether the item is shown: it and all its parent items visible (QQuickItem::isVisible()).
bool isVisible(const QObject *item);
// Whether `item` is `ancestor` or lies below it.
bool isInside(const QObject *item, const QObject *ancestor);

// The item's rectangle in its scene, which is the QQuickWidget's own coordinates: x and y
// summed up its parent items (items of widget programs are not rotated or scaled).
QRect sceneRect(const QObject *item);
// Whether a press on the item stops there: controls, mouse areas, text inputs, flickables
// and the overlay of popups do; a rectangle or a label lets it through to what lies below.
bool takesClicks(const QObject *item);
// The deepest visible item at a point of the scene that takes clicks, as a press there
// would find it; null where none does.
QObject *itemAt(QObject *root, const QPointF &scenePoint);

// The QML type a person writes ("Button", "TextField", "ListView"): the class the QML
// engine made for a component ("Button_QMLTYPE_3") without its suffix, or a Qt Quick class
// without its "QQuick" prefix.
QString qmlType(const QObject *item);
// The Qt class it is or derives from ("QQuickButton" for a Button).
QString qtClass(const QObject *item);
// Whether the item is of a type, by QML type or class name, its own or a base's.
bool inherits(const QObject *item, const QString &type);
// What a person reads on it: its text, a combo box's current text, a dialog's title.
QString text(const QObject *item);
// The text of a Label just before it among its siblings ("Name:" before a field).
QString labelText(const QObject *item);

// One listed item: the visible items of a scene in tree order, below the parts that make up
// a control (a button's background and label are the button).
struct Entry
{
    QObject *item = nullptr;
    int depth = 0; // below the scene's root, which is 0
};
QVector<Entry> visibleItems(QObject *root);

} // namespace QuickItems
