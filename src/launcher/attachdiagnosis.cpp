#include "attachdiagnosis.h"

#include "qtplugin/attachstatus.h"

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

bool startsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string exitText(const AttachContext &context)
{
    if (context.exitStatus > 128)
        return "it was ended by signal " + std::to_string(context.exitStatus - 128);
    return "it exited with code " + std::to_string(context.exitStatus);
}

// Why the plug-in never spoke, judged from what the program mapped.
std::string reasonFromMaps(const AttachObservation &seen, const AttachContext &context)
{
    const std::string &program = context.program;
    if (seen.qt6)
        return program + " is a Qt 6 application; the agent attaches to Qt 5 Widgets "
                         "applications only";
    if (seen.qt5CorePath.empty()) {
        // A program that ended at once may have gone before its libraries were mapped.
        if (context.exited)
            return program + " ended before an agent connected; its error output says why";
        return program + " is not a Qt 5 Widgets application: it loaded no Qt 5 library (a "
                         "statically linked Qt cannot load the agent either)";
    }
    if (!context.pluginQtCore.empty() && seen.qt5CorePath != context.pluginQtCore)
        return program + " links another Qt build (" + seen.qt5CorePath +
               ") than the agent plug-in (" + context.pluginQtCore + ")";
    if (!seen.qt5Widgets)
        return program + " is not a Qt 5 Widgets application: it uses Qt 5 " +
               (seen.qt5Gui ? "Core and Gui" : "Core") + " only";
    if (seen.agentPlugin)
        return "the agent plug-in was loaded into " + program +
               " but never reported; run it with QT_DEBUG_PLUGINS=1 to see why";
    if (seen.platformPlugin && context.exited)
        return program + " ended while it created its application object (no display?); its "
                         "error output says why";
    if (seen.platformPlugin)
        return program +
               " created its application object but did not load the agent plug-in "
               "from " +
               context.pluginDir + "; run it with QT_DEBUG_PLUGINS=1 to see why";
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
        if (startsWith(name, "libQt5Core.so") && qt5CorePath.empty())
            qt5CorePath = path;
        else if (startsWith(name, "libQt5Gui.so"))
            qt5Gui = true;
        else if (startsWith(name, "libQt5Widgets.so"))
            qt5Widgets = true;
        else if (startsWith(name, "libQt6"))
            qt6 = true;
        else if (name == agentPluginFile)
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
        reason = program + " is not a Qt 5 Widgets application: its application object is a "
                           "QGuiApplication, not a QApplication";
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
