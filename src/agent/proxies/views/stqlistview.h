#pragma once

#include "stitemviewproxy.h"

class QListView;

// Single-column list views, whatever their model: an item is made current by pressing Up
// or Down until it is, checked with Space and edited through the view's editor. Items
// are named by their display text (the first visible row with that text) or by row; the
// extended mode lists texts with the item views' escapes (replyItemText).
class STQListView : public STItemViewProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;
    void mouse(const QVariant &command) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

    // The item as activate names it, as a typed value: "s:" and its text as the extended
    // mode lists it, or "i:" and its row where it has no text or another row reads the same.
    static QString itemName(const QListView *view, const QModelIndex &index);

private:
    QListView *listView();
    // The first row that is not hidden and shows text; -1 when there is none.
    static int findRow(const QListView *view, const QString &text);
    // The row an item name given by a request names: its text, or in the extended mode
    // first the text with its escapes read (as itemList writes it).
    static int findNamedRow(const QListView *view, const QString &name, WireText::Mode mode);
    static QModelIndex rowIndex(const QListView *view, int row);
    // Focuses the view and presses Up or Down until row is current, at most five presses
    // per row. Returns false when row was already current after the first Up press.
    bool navigateToRow(int row);
};
