#pragma once

#include <QtGlobal>

class IDllInstance;

// Creating and destroying the plug-in instance that the host framework holds, behind its
// entry points (ZuCreate/ZuDestroy). The Qt plug-in, for programs without the framework,
// creates the agent itself (qtplugin/attachedagent.h).

// Builds the plug-in instance, which owns the agent, and starts its connection to the
// driver on `port` of the loopback host. Null when creation failed; the failure went to
// the host framework's trace and error handler. Nothing unwinds out of it.
IDllInstance *createAgentInstance(const char16_t *name, quint16 port, bool extended = false);

// Destroys an instance that createAgentInstance returned; null or foreign pointers are
// ignored.
void destroyAgentInstance(IDllInstance *instance);
