#include "proxytable.h"

ProxyTable agentProxyTable()
{
    ProxyTable table;
    registerControlProxies(table);
    registerViewProxies(table);
    return table;
}
