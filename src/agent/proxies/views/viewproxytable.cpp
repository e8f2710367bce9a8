#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/stwidgetproxy.h"
#include "stqabstractitemview.h"
#include "stqlistview.h"
#include "stqtable.h"
#include "stqtreeview.h"

// The registry rows of the menu and item-view proxies.
void registerViewProxies(ProxyTable &table)
{
    // Menus
    table.insert(QStringLiteral("QMenu"), new STWidgetProxy);
    table.insert(QStringLiteral("QMenuBar"), new STWidgetProxy);

    // List and tree views
    table.insert(QStringLiteral("QListView"), new STQListView);
    table.insert(QStringLiteral("QTreeView"), new STQTreeView);

    // Tables and any other item view
    table.insert(QStringLiteral("QTableView"), new STQTable);
    table.insert(QStringLiteral("QTableWidget"), new STQTable);
    table.insert(QStringLiteral("QAbstractItemView"), new STQAbstractItemView);
}
