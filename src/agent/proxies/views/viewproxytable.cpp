#include "proxies/proxytable.h"
#include "proxies/framework/stwidgetproxy.h"
#include "stqabstractitemview.h"
#include "stqlistview.h"
#include "stqtable.h"
#include "stqmenu.h"
#include "stqmenubar.h"
#include "stqtreeview.h"

// The registry rows of the menu and item-view proxies.
void registerViewProxies(ProxyTable &table)
{
    // Menus
    table.insert(QStringLiteral("QMenu"), new STQMenu);
    table.insert(QStringLiteral("QMenuBar"), new STQMenuBar);

    // List and tree views
    table.insert(QStringLiteral("QListView"), new STQListView);
    table.insert(QStringLiteral("QTreeView"), new STQTreeView);

    // Tables and any other item view
    table.insert(QStringLiteral("QTableView"), new STQTable);
    table.insert(QStringLiteral("QTableWidget"), new STQTable);
    table.insert(QStringLiteral("QAbstractItemView"), new STQAbstractItemView);
}
