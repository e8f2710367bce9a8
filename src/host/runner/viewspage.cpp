#include "viewspage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

const Qt::ItemFlags itemFlags =
    Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable;

QList<QStandardItem *> treeRow(const QString &name, const QString &count)
{
    QList<QStandardItem *> row{new QStandardItem(name), new QStandardItem(count)};
    row[0]->setFlags(itemFlags);
    row[0]->setCheckState(Qt::Unchecked);
    row[1]->setFlags(itemFlags & ~Qt::ItemIsUserCheckable);
    return row;
}

} // namespace

ViewsPage::ViewsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("views"));
    auto *layout = new QHBoxLayout(this);

    auto *list = new QListWidget;
    list->setObjectName(QStringLiteral("listWidget"));
    for (const char *colour : {"Red", "Green", "Blue", "Yellow"}) {
        auto *item = new QListWidgetItem(QLatin1String(colour), list);
        item->setFlags(itemFlags);
        item->setCheckState(Qt::Unchecked);
    }
    layout->addWidget(list);

    // Vegetables stays collapsed: driving the tree opens it on the way to its items.
    auto *model = new QStandardItemModel(this);
    model->setHorizontalHeaderLabels({tr("Name"), tr("Count")});
    QList<QStandardItem *> fruit = treeRow(tr("Fruit"), QStringLiteral("2"));
    fruit[0]->appendRow(treeRow(tr("Apple"), QStringLiteral("5")));
    fruit[0]->appendRow(treeRow(tr("Pear"), QStringLiteral("3")));
    model->appendRow(fruit);
    QList<QStandardItem *> vegetables = treeRow(tr("Vegetables"), QStringLiteral("2"));
    vegetables[0]->appendRow(treeRow(tr("Leek"), QStringLiteral("1")));
    vegetables[0]->appendRow(treeRow(tr("Carrot"), QStringLiteral("8")));
    model->appendRow(vegetables);

    auto *tree = new QTreeView;
    tree->setObjectName(QStringLiteral("treeView"));
    tree->setModel(model);
    tree->expand(model->index(0, 0));
    layout->addWidget(tree);
}
