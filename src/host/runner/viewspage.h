#pragma once

#include <QWidget>

// A list and a tree for the item-view proxies: the list is a list widget, the tree a tree
// view over a standard item model, both with checkable, editable items.
class ViewsPage : public QWidget
{
    Q_OBJECT

public:
    explicit ViewsPage(QWidget *parent = nullptr);
};
