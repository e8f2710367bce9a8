#pragma once

#include "catalogcounts.h"

#include <QRect>
#include <QString>

#include <vector>

class QMetaObject;
class QObject;
class QWidget;

// The widget listing's walk of a window: the visible widgets in tree order, each with what
// its address and its entry are made of.
namespace CatalogWalk {

// A visible widget met in tree order, with what its address is made of.
struct Item
{
    QWidget *widget = nullptr;
    int depth = 0;
    // The item of its parent widget; -1 for the window, and for a widget met through an
    // object that is no widget, whose names are then read from the widgets themselves.
    int parent = -1;
    bool listed = false;      // in the window itself rather than in a window parented inside it
    bool read = false;        // what follows was read (a single widget's address reads few)
    bool candidate = false;   // a lookup of its name takes it (CatalogCounts::NameCounts)
    bool usable = false;      // its name can be a path element (usableName)
    QString objectName, name; // the name set, and the one by the naming rules
    int nameId = -1;          // the name's id in CatalogCounts::NameCounts
    QString path;             // names from its window down, when the whole window was read
    const CatalogCounts::ClassChain *classes = nullptr; // shared by the items of its class
    QString text;
    bool textChanges = false; // a field's value or the window's title
    QString label;
    QString toolTip;
    QString accessible;
    int nth = 0;     // among the visible widgets of its class (and subclasses) in the window
    int textNth = 0; // the same, among those with its text
    // Read with the rest while the widget's data is at hand: a second pass over the
    // listing would wait on memory for every widget again.
    const QMetaObject *meta = nullptr;
    QRect geometry; // in the window's coordinates
    bool enabled = false;
    bool focus = false;
};

// Where a visible widget stands: what the walk meets first, before an item is made for it
// (the items, made once the count is known, are never moved as the list grows).
struct Place
{
    QWidget *widget = nullptr;
    int depth = 0;
    int parent = -1; // as Item::parent
    bool listed = false;
};

// The order of findChildren: through every child object, widget or not. A widget is listed
// when its parent widget is and it is no window (below an object that is no widget, never).
void collect(QObject *object, int depth, int parent, bool listed, std::vector<Place> &places);

} // namespace CatalogWalk
