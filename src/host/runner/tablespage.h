#pragma once

#include <QWidget>

// A model-based table with header texts on both sides, and a column view that no proxy
// of its own serves, so that the generic item view proxy drives it.
class TablesPage : public QWidget
{
    Q_OBJECT

public:
    explicit TablesPage(QWidget *parent = nullptr);
};
