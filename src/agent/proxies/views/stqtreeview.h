#pragma once

#include "stitemviewproxy.h"

class QTreeView;

// Hierarchical, multi-column views, whatever their model. Items are named by paths of row
// texts, one per level ("Fruit/Pear"), a row's text being its visible cells joined by ':'.
// An item is reached in column 0, or in the first shown column where column 0 is hidden.
// Items are reached by keyboard from the top row down, expanding branches on the way;
// several can be selected with Space (Control+Space where the selection extends).
class STQTreeView : public STItemViewProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;
    void mouse(const QVariant &command) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

    // The visible cells of the index's row joined by ':', leading empty cells leaving no
    // separator, each cell as replies write it (replyItemText: escaped in the extended
    // mode); empty for an invalid index.
    static QString rowText(const QTreeView *view, const QModelIndex &index, WireText::Mode mode);
    // The row texts from the top level down to the index, joined by '/'.
    static QString itemPath(const QTreeView *view, const QModelIndex &index, WireText::Mode mode);
    // The first item, depth first, whose row texts match the path's elements level by
    // level; a path element matches a row text when each of its ':' fields equals the row's
    // field at the same place (so it may name only the first cells). The extended mode
    // reads the escapes of rowText. A path that names no item so is read once more with
    // '/' standing for itself where an item's text holds it, as a plain reply prints it.
    // The index is in the column the item is reached in; invalid when none.
    static QModelIndex findItem(const QTreeView *view, const QString &path, WireText::Mode mode);

    // The separators of an item path: between levels, and between the cells of a row.
    static constexpr char levelSeparator = '/';
    static constexpr char cellSeparator = ':';
    // The column a tree's items are reached in: column 0 where the view shows it, else the
    // first column it shows, in the header's order (where keys and the view put the current
    // item when it has none). Hidden columns never hold an item.
    static int itemColumn(const QTreeView *view);

private:
    QTreeView *treeView();
    void focusView();
    // Makes target current by keys from the top row down. modifiers are held on every
    // key, so that Control keeps an extended selection while moving.
    void navigateTo(const QModelIndex &target, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Makes index current as an arrow key (with those modifiers) would.
    void moveCurrent(const QModelIndex &index, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The item of a path that activate and the item properties may use: it exists and its
    // row is not hidden (hidden columns only leave the row text).
    QModelIndex visibleItem(const QString &path);
    void refuseHidden(const QTreeView *view, const QModelIndex &index);
};
