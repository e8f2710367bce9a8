#pragma once

#include "proxies/framework/stwidgetproxy.h"

#include <QList>
#include <QSet>

#include <functional>

class QAction;
class QMenu;
class STError;

// Base of the menu and menu bar proxies: the menu-path machinery both share.
//
// A menu path is a text split at every '/', empty elements kept ("A//B" has three
// elements). Its first element names an item of a menu (or of the bar), the next one an
// item of that item's submenu, and so on down. An element names an item in one of two ways:
//   - by its display text: the action's text without its mnemonic (by the rule of the mode,
//     protocol/mnemonics.h), blanks simplified,
//     compared case-sensitively; a text holding '/' is matched by as many elements as it
//     has parts ("Save/Load", or "File/Save/Load" inside "File");
//   - by position, "Item N": the N-th counted item, counting from 1.
// Counted items are the visible actions that are not separators; hidden actions and
// separators never take part in the lookup. "itemList" names unnamed items the same way, so
// an element copied from it names the same item.
class STMenuPathProxy : public STWidgetProxy
{
public:
    static constexpr char NoFocus[] = "No focus";
    static constexpr char InvalidItem[] = "Invalid item";
    static constexpr char ItemIsDisabled[] = "Item is disabled";
    static constexpr char ItemNotCheckable[] = "Item is not checkable";
    static constexpr char ItemAlreadyChecked[] = "Item already checked";

    // Null for a separator or no item, else the text a script writes for the item.
    static QString menuActionText(const QAction *item, WireText::Mode mode);
    // The item named by the path's first element (by position or by text), or null. When
    // the item's text holds '/', the elements it took are merged into the first one.
    QAction *findMenuAction(QStringList &path, const QList<QAction *> &items) const;
    // The element findMenuAction finds the item by among items in `mode`: its text, or
    // "Item N" for an item without text, N counting from 1 as findMenuAction does.
    static QString menuElement(const QAction *item, const QList<QAction *> &items,
                               WireText::Mode mode);
    // The paths below one item, prefix first: [prefix] itself when it has no submenu.
    QStringList menuItemPaths(const QString &prefix, const QAction *item) const;
    // Called with each item a path passes through on its way down (all but the last), the
    // element that named it and its depth (0 at the top), before its submenu is entered.
    // Raises the caller's message when the item blocks the way; runs no events.
    using PassingCheck =
        std::function<void(const QAction *item, const QString &element, int depth)>;
    // Follows path down from items without input, as property reads do: the first element
    // names an item of items, the next one an item of that item's submenu, and so on, each
    // item passed through handed to passing first. Returns the last element's item with the
    // path used up, or null with the path starting at the element that named nothing, or
    // at the element below an item that has no submenu.
    const QAction *followMenuPath(QStringList &path, QList<QAction *> items,
                                  const PassingCheck &passing) const;
    // "itemList": every action of a menu or bar, hidden ones and separators included at
    // this top level, each followed down its submenus.
    QStringList itemList(const QList<QAction *> &items) const;
    // "itemGlobalRect": where the item at the end of the path shows on the screen, in the
    // bar or menu that owns the first element or in the submenu of the element before it.
    // Empty while that menu is closed; an unknown path is "Invalid item".
    QRect menuItemGlobalRect(const QVariant &path, QWidget *owner);

protected:
    // The two arguments of activate: a path, and the wanted check state or nothing.
    QStringList menuPathArgument(const QVariant &path, const QVariant &check);
    // The path of a property read (its parameter).
    QStringList menuPathParameter(const QVariant &path);

    // With menu open and nothing highlighted: highlights its first item and walks the
    // path. When that fails, the menu (if still open) gets closingEscapes Escape presses on
    // top of those the walk made; "Item already checked" is then a success.
    void chooseMenuItem(QStringList &path, QMenu *menu, const QVariant &check, int closingEscapes);
    // Highlights the item named by the path in the open menu with Down presses, then opens
    // its submenu with Right and walks on, or presses Return when it is the last one.
    void walkMenuPath(QStringList &path, QMenu *menu, const QVariant &check);

private:
    void collectItemPaths(QStringList &paths, const QString &prefix, const QAction *item,
                          QSet<const QMenu *> &branch) const;
};
