#include "attachdiagnosis.h"

#include "qtlinkage.h"
#include "qtplugin/attachstatus.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The file name part of a maps line's path: the text after the last '/'.
std::string fileName(const std::string &path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void collectProcesses(int pid, std::vector<int> *processes)
{
    processes->push_back(pid);
    std::istringstream children(
        readFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children"));
    int child;
    while (children >> child)
        collectProcesses(child, processes);
}

std::string exitText(const AttachContext &context)
{
    if (context.exitStatus > 128)
        return "it was ended by signal " + std::to_string(context.exitStatus - 128);
    return "it exited with code " + std::to_string(context.exitStatus);
}

std::string qtName(int major)
{
    return "Qt " + std::to_string(major);
}

// The Qt versions whose plug-ins the program was offered: "Qt 5", "Qt 5 or 6".
std::string offeredQt(const AttachContext &context)
{
    std::string names;
    for (const AgentPlugin &plugin : context.plugins) {
        if (plugin.offered)
            names += (names.empty() ? "Qt " : " or ") + std::to_string(plugin.qtMajor);
    }
    return names.empty() ? "Qt" : names;
}

// Why the plug-in never spoke, judged from what the program mapped.
std::string reasonFromMaps(const AttachObservation &seen, const AttachContext &context)
{
    const std::string &program = context.program;
    if (seen.qtCorePath.empty()) {
        // A program that ended at once may have gone before its libraries were mapped.
        if (context.exited)
            return program + " ended before an agent connected; its error output says why";
        const std::string qt = offeredQt(context);
        return program + " is not a " + qt + " Widgets application: it loaded no " + qt +
               " library (a statically linked Qt cannot load the agent either)";
    }
    const AgentPlugin *plugin = context.pluginFor(seen.qtMajor);
    if (!plugin || !plugin->found)
        return missingPluginReason(program, seen.qtMajor, context);
    const std::string qt = qtName(seen.qtMajor);
    if (!plugin->offered)
        return program + " runs " + qt + " (" + seen.qtCorePath +
               ") that its executable does not link, and was offered the agent for " +
               offeredQt(context) + " only; start the " + qt + " program with testclient-run";
    if (!plugin->qtCore.empty() && seen.qtCorePath != plugin->qtCore)
        return program + " links another Qt build (" + seen.qtCorePath +
               ") than the agent plug-in (" + plugin->qtCore + ")";
    if (!seen.qtWidgets.count(seen.qtMajor))
        return program + " is not a " + qt + " Widgets application: it uses " + qt + " " +
               (seen.qtGui.count(seen.qtMajor) ? "Core and Gui" : "Core") + " only";
    if (seen.agentPlugin)
        return "the agent plug-in was loaded into " + program +
               " but never reported; run it with QT_DEBUG_PLUGINS=1 to see why";
    if (seen.platformPlugin && context.exited)
        return program + " ended while it created its application object (no display?); its "
                         "error output says why";
    if (seen.platformPlugin)
        return program +
               " created its application object but did not load the agent plug-in from " +
               plugin->dir + "; run it with QT_DEBUG_PLUGINS=1 to see why";
    std::string reason = program + " never created its application object (QApplication)";
    if (!context.exited)
        reason += " within " + std::to_string(context.waitedSeconds) + " s";
    return reason;
}

} // namespace

void AttachObservation::addStatus(const std::string &line)
{
    const std::string::size_type blank = line.find(' ');
    status = line.substr(0, blank);
    statusArgument = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    // "loaded 5.15.8": the plug-in names the Qt it runs in.
    if (status == AttachStatus::loaded && qtMajor == 0)
        qtMajor = std::atoi(statusArgument.c_str());
}

void AttachObservation::addMaps(const std::string &maps, const std::string &agentPluginFile)
{
    std::istringstream lines(maps);
    std::string line;
    while (std::getline(lines, line)) {
        // "address perms offset dev inode   path": the path starts at the first '/'.
        const std::string::size_type start = line.find('/');
        if (start == std::string::npos)
            continue;
        const std::string path = line.substr(start);
        const std::string name = fileName(path);
        const int major = qtMajorOfLibrary(name);
        const std::string module = major ? name.substr(6, name.find('.') - 6) : std::string();
        if (module == "Core" && qtCorePath.empty()) {
            qtCorePath = path;
            qtMajor = major;
        } else if (module == "Gui") {
            qtGui.insert(major);
        } else if (module == "Widgets") {
            qtWidgets.insert(major);
        } else if (name == agentPluginFile)
            agentPlugin = true;
        else if (path.find("/platforms/lib") != std::string::npos)
            platformPlugin = true;
    }
}

void AttachObservation::addProcessTree(int pid, const std::string &agentPluginFile)
{
    std::vector<int> processes;
    collectProcesses(pid, &processes);
    for (const int process : processes) {
        const std::string maps = readFile("/proc/" + std::to_string(process) + "/maps");
        if (!maps.empty())
            addMaps(maps, agentPluginFile);
    }
}

std::string attachFailureReason(const AttachObservation &seen, const AttachContext &context)
{
    const std::string &program = context.program;
    const std::string driver = "127.0.0.1:" + std::to_string(context.port);
    std::string reason;
    if (seen.status == AttachStatus::unreachable) {
        reason = "no driver accepted the agent's connection to " + driver + " (" +
                 seen.statusArgument + "); start the driver on port " +
                 std::to_string(context.port) + " before the program";
    } else if (seen.status == AttachStatus::notWidgets) {
        const std::string qt = seen.qtMajor ? qtName(seen.qtMajor) : offeredQt(context);
        reason = program + " is not a " + qt +
                 " Widgets application: its application object is a QGuiApplication, not a "
                 "QApplication";
    } else if (seen.status == AttachStatus::badSpecification) {
        reason = "the agent plug-in refused its options: " + seen.statusArgument;
    } else if (seen.status == AttachStatus::createFailed) {
        reason = "the agent could not be created inside " + program +
                 "; the program's error output says why";
    } else if (seen.status == AttachStatus::created) {
        reason = "the agent in " + program + " got no answer from " + driver + " within " +
                 std::to_string(context.waitedSeconds) + " s";
    } else if (seen.status == AttachStatus::loaded) {
        reason = program + " created its application object but never ran its event loop";
        if (!context.exited)
            reason += " within " + std::to_string(context.waitedSeconds) + " s";
    } else {
        reason = reasonFromMaps(seen, context);
    }
    if (context.exited)
        reason += "; " + exitText(context);
    return reason;
}

const AgentPlugin *AttachContext::pluginFor(int major) const
{
    for (const AgentPlugin &plugin : plugins) {
        if (plugin.qtMajor == major)
            return &plugin;
    }
    return nullptr;
}

std::string missingPluginReason(const std::string &program, int major, const AttachContext &context)
{
    const std::string qt = qtName(major);
    const AgentPlugin *plugin = context.pluginFor(major);
    if (!plugin) {
        std::string built;
        for (const AgentPlugin &known : context.plugins)
            built += (built.empty() ? "Qt " : " and ") + std::to_string(known.qtMajor);
        return program + " is a " + qt + " program; the agent plug-in is built for " + built +
               " only";
    }
    const std::string missing = program + " is a " + qt +
                                " program and no agent plug-in built for " + qt +
                                " was found (looked in " + plugin->dir + "): ";
    const std::string number = std::to_string(major);
    if (plugin->installed)
        return missing + "install the package testclient-qt" + number +
               " (or cmake --install a build made for " + qt + ")";
    // The Makefile builds for Qt 5 unless told QT=6.
    return missing + "build it with " + (major == 5 ? "make build" : "make build QT=" + number);
}
