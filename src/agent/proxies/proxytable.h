#pragma once

#include "proxies/framework/stapplicationproxy.h"

// Every proxy of the agent, by the class name it serves: the rows of each proxy folder
// (controls/controlproxytable.cpp, views/viewproxytable.cpp). The agent hands this table
// to its registry when it is created; the framework itself knows no concrete proxy.
ProxyTable agentProxyTable();

void registerControlProxies(ProxyTable &table);
void registerViewProxies(ProxyTable &table);
