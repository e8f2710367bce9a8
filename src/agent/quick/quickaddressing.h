#pragma once

#include "quickscene.h"

#include "addressing/widgetaddressing.h"

#include <QString>
#include <QVector>

class QObject;
class QWidget;
class Selector;

// Paths into the items of a QQuickWidget or a QQuickWindow (the extended mode): the path of
// the QQuickWidget and then elements that name its items, or, after a window field that names
// a QQuickWindow (quickwindows.h), elements that name the window's items. Item elements
// name items the way elements name widgets. An item element is an object
// name or a selector (selector.h) whose keys read the item: type (its QML type or C++ class,
// or a base's: Button, AbstractButton, QQuickButton), name, text, label (a Label just before
// it), title, nth and any QML property. The first item element matches any listed item of
// the scene, each further one an item below the one before; empty elements (//) change
// nothing. Items are found among those the listing shows (quickitems.h): visible, and not
// the parts a control is drawn with.
namespace QuickAddressing {

struct ItemLookup
{
    LookupErrorKind kind = NoError;
    QuickScene scene;        // the scene the path reached; null when it reaches none
    QObject *item = nullptr; // the target on success (null for the empty path of a window)
    int count = 0;           // visible items matched (kind 7)
};

// Resolves a window field and a path into a scene's items. A window field that names no widget
// window may name a QQuickWindow; in a widget window the longest leading part of the path that
// resolves to a QQuickWidget is the scene's, and a path in which none does is looked for in
// every QQuickWidget of the window. A path that reaches no scene gives a null scene.
ItemLookup resolve(const QString &windowField, const QString &path, const ResolveVariant &variant);

// Whether an element (object name or selector) names the item; nth is not looked at.
bool matches(const QString &element, const Selector &selector, const QObject *item);

// The elements after the scene's path that find exactly the item among `listed` (the
// scene's listed items): its object name, a selector by type with text or label, or by type and
// position.
QString itemAddress(const QObject *item, const QVector<QObject *> &listed);

} // namespace QuickAddressing
