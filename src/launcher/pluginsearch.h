#pragma once

#include "attachdiagnosis.h"

#include <string>
#include <sys/types.h>
#include <vector>

// Which agent plug-in a program gets, and the environment that points Qt at it.

namespace Launcher {

struct Options;

// The agent plug-ins the launcher knows, one for each Qt major version.
std::vector<AgentPlugin> findPlugins();

// Marks the plug-ins in context->plugins to offer the program and returns their folders for
// QT_PLUGIN_PATH; ends the launcher when none fits the program's Qt.
std::string choosePlugins(const std::string &program, AttachContext *context);

// Points Qt at the plug-ins and picks the display; an Xvfb started for it is returned, to
// be stopped at the end.
pid_t prepareEnvironment(const Options &options, const std::string &pluginPath);

} // namespace Launcher
