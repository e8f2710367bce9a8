#include "tablespage.h"

#include <QColumnView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

TablesPage::TablesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tablesPage"));

    // Stock by row name: a text column, a number column (edited in a spin box) and a note.
    auto *stock = new QStandardItemModel(0, 3, this);
    stock->setHorizontalHeaderLabels({tr("Name"), tr("Qty"), tr("Note")});
    const struct
    {
        const char *id, *name;
        int quantity;
    } rows[] = {{"A1", "Apple", 12}, {"B2", "Pear", 4}, {"C3", "Leek", 0}, {"D4", "Plum", 30}};
    QStringList rowNames;
    for (const auto &row : rows) {
        auto *quantity = new QStandardItem;
        quantity->setData(row.quantity, Qt::EditRole);
        stock->appendRow({new QStandardItem(QLatin1String(row.name)), quantity, new QStandardItem});
        rowNames.append(QLatin1String(row.id));
    }
    stock->setVerticalHeaderLabels(rowNames);

    auto *table = new QTableView;
    table->setObjectName(QStringLiteral("tableView"));
    table->setModel(stock);
    table->horizontalHeader()->setStretchLastSection(true);

    // Categories and their members, browsed column by column.
    auto *catalogue = new QStandardItemModel(this);
    const QStringList groups[] = {{tr("Fruit"), tr("Apple"), tr("Pear"), tr("Plum")},
                                  {tr("Vegetables"), tr("Leek"), tr("Carrot")}};
    for (const QStringList &group : groups) {
        auto *category = new QStandardItem(group.first());
        for (const QString &member : group.mid(1))
            category->appendRow(new QStandardItem(member));
        catalogue->appendRow(category);
    }
    auto *columns = new QColumnView;
    columns->setObjectName(QStringLiteral("columnView"));
    columns->setModel(catalogue);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table, 3);
    layout->addWidget(columns, 2);
    setMaximumHeight(180);
}
