#pragma once

#include "stitemviewproxy.h"

#include <QPoint>

class QTableView;

// Table views (and table widgets): a cell is named "row:column", each part a header text
// or a 1-based number, and made current by keyboard; the current cell is edited through
// its editor and receives mouse commands.
class STQTable : public STItemViewProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;
    void mouse(const QVariant &command) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

    // The cell as activate names it: "row:column", each its header text where that is
    // unique and holds no ':' (a header text wins over a number), else its 1-based number.
    static QString cellName(const QModelIndex &index);

private:
    QTableView *table();
    // "row:column" as 1-based numbers; header texts of hidden sections are skipped on
    // request (a number may still name a hidden section).
    QPoint resolveTableCell(const QVariant &cell, bool skipHidden);
    int resolveSection(Qt::Orientation axis, const QString &field, bool skipHidden);
    // The header text of a section given by its 1-based number.
    QString headerText(Qt::Orientation axis, const QVariant &number);
    void focusTable();
    // Presses arrow keys (or Tab, where moving edits) until the 0-based cell is current.
    void navigateToTableCell(int row, int column);
    // Focuses the table with its current cell (if any) still current; returns whether
    // there was one.
    bool focusCurrentCell();
};
