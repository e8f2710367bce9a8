#include "pluginsearch.h"

#include "children.h"
#include "launchoptions.h"
#include "qtlinkage.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace Launcher {

namespace {

std::string executableDir()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string exe(path, size_t(length));
    return exe.substr(0, exe.rfind('/'));
}

std::string canonical(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

void appendToVariable(const char *name, const std::string &value, char separator)
{
    const char *old = std::getenv(name);
    const std::string joined = old && *old ? value + separator + old : value;
    ::setenv(name, joined.c_str(), 1);
}

} // namespace

// The agent plug-ins the launcher knows. Installed (`cmake --install`, the packages), each Qt
// major version has its folder under lib/testclient beside the launcher's bin/. In a build
// folder, the build's own plug-in is beside bin/ and the one built for the other Qt major
// version where CMake was told it lives. TESTCLIENT_QT5_PLUGINS and TESTCLIENT_QT6_PLUGINS
// name another plugins folder for either.
std::vector<AgentPlugin> findPlugins()
{
    const std::string installedLib = canonical(executableDir() + "/../" + TESTCLIENT_INSTALLED_LIB);
    struct stat status;
    const bool installed = ::stat(installedLib.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    AgentPlugin own;
    own.qtMajor = TESTCLIENT_QT_MAJOR;
    own.dir = executableDir() + "/../plugins";
    own.qtCore = canonical(TESTCLIENT_QT_CORE);
    AgentPlugin other;
    other.qtMajor = TESTCLIENT_QT_MAJOR == 5 ? 6 : 5;
    other.dir = TESTCLIENT_OTHER_QT_PLUGINS;
    std::vector<AgentPlugin> plugins{own, other};
    for (AgentPlugin &plugin : plugins) {
        if (installed) {
            plugin.dir = installedLib + "/qt" + std::to_string(plugin.qtMajor) + "/plugins";
            plugin.installed = true;
            plugin.qtCore.clear(); // the Qt of the machine it was installed on
        }
        const std::string variable = "TESTCLIENT_QT" + std::to_string(plugin.qtMajor) + "_PLUGINS";
        const char *dir = std::getenv(variable.c_str());
        if (dir && *dir) {
            plugin.dir = dir;
            plugin.qtCore.clear(); // not necessarily the build beside the launcher
        }
        plugin.dir = canonical(plugin.dir);
        const std::string file = plugin.dir + "/generic/" + TESTCLIENT_PLUGIN_FILE;
        plugin.found = ::access(file.c_str(), R_OK) == 0;
    }
    return plugins;
}

// Marks the plug-ins in context->plugins to offer the program and returns their folders for
// QT_PLUGIN_PATH. A program whose ELF file names its Qt gets the plug-in built for that Qt; when
// there is none, the launcher says so and ends without starting the program. Any other program (a
// script, a wrapper, a file it cannot read) gets every plug-in found: Qt's loader skips
// one built for another major version.
std::string choosePlugins(const std::string &program, AttachContext *context)
{
    const int major = programQtMajor(program);
    if (major) {
        const AgentPlugin *plugin = context->pluginFor(major);
        if (!plugin || !plugin->found) {
            std::fprintf(stderr, "%sno agent connected: %s\n", prefix,
                         missingPluginReason(program, major, *context).c_str());
            std::exit(launcherFailed);
        }
    }
    std::string path;
    std::string lookedIn;
    for (AgentPlugin &plugin : context->plugins) {
        plugin.offered = plugin.found && (major == 0 || plugin.qtMajor == major);
        if (plugin.offered)
            path += (path.empty() ? "" : ":") + plugin.dir;
        lookedIn += (lookedIn.empty() ? "" : " and ") + plugin.dir;
    }
    if (path.empty())
        fail("the agent plug-in is missing: looked for generic/" +
             std::string(TESTCLIENT_PLUGIN_FILE) + " in " + lookedIn);
    return path;
}

// Points Qt at the agent's plug-ins and picks the display; an Xvfb started for it is
// returned, to be stopped at the end.
pid_t prepareEnvironment(const Options &options, const std::string &pluginPath)
{
    pid_t xvfb = 0;
    if (options.display == Display::Xvfb) {
        std::string display;
        xvfb = startXvfb(options.screen, &display);
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else if (options.display == Display::Headless) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Read by the plug-in (qtplugin/headlessscreen.h).
        ::setenv("TESTCLIENT_SCREEN", options.screen.c_str(), 1);
    }
    // Neither the offscreen platform nor Xvfb has the OpenGL that Qt Quick renders with unless
    // told (offscreen, a QQuickWidget aborts): its software renderer lets a program with Qt
    // Quick start there. A user's own choice stays.
    if (options.display != Display::Desktop)
        ::setenv("QT_QUICK_BACKEND", "software", 0);
    appendToVariable("QT_PLUGIN_PATH", pluginPath, ':');
#ifdef TESTCLIENT_SANITIZER_RUNTIME
    // Set after Xvfb started: only the program and its children get the runtime.
    appendToVariable("LD_PRELOAD", TESTCLIENT_SANITIZER_RUNTIME, ':');
#endif
    // --plain wins over an extended mode asked for in the environment.
    if (!options.extended)
        ::setenv("TESTCLIENT_EXTENDED", "0", 1);
    appendToVariable("QT_QPA_GENERIC_PLUGINS",
                     "testclient:port=" + std::to_string(options.port) +
                         (options.extended ? ":extended" : ""),
                     ',');
    return xvfb;
}

} // namespace Launcher
