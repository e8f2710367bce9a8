#pragma once

#include <string>

// What testclient-run learns about the program while it waits for the agent to connect,
// and the one line that tells a user why no agent connected.
//
// Two sources: the plug-in's status lines (attachstatus.h), once the plug-in is loaded,
// and before that the shared libraries mapped into the program's processes
// (/proc/<pid>/maps), which tell why the plug-in never loaded.
struct AttachObservation
{
    // The plug-in's latest status word and its argument; empty while it said nothing.
    std::string status;
    std::string statusArgument;

    // From the memory maps, accumulated over every sample of the program's processes.
    std::string qt5CorePath;     // the first Qt 5 core library seen
    bool qt5Gui = false;         // the Qt 5 GUI library
    bool qt5Widgets = false;     // the Qt 5 Widgets library
    bool qt6 = false;            // any Qt 6 library
    bool platformPlugin = false; // a Qt platform plug-in: an application object was made
    bool agentPlugin = false;    // the agent plug-in itself

    // Takes the status line "word[ argument]" (without its line feed).
    void addStatus(const std::string &line);
    // Takes the text of one /proc/<pid>/maps file.
    void addMaps(const std::string &maps, const std::string &agentPluginFile);
    // Takes the maps of process `pid` and of every process below it: a wrapper script
    // may start the real program.
    void addProcessTree(int pid, const std::string &agentPluginFile);
};

struct AttachContext
{
    std::string program;      // as the user named it
    unsigned port = 0;        // the driver's port
    int waitedSeconds = 0;    // how long the launcher waited
    std::string pluginQtCore; // the Qt core library the agent plug-in was built against
    std::string pluginDir;    // the folder given in QT_PLUGIN_PATH
    bool exited = false;      // the program ended before an agent connected
    int exitStatus = 0;       // then: its exit code, or 128 + signal
};

// The reason no agent connected, one line without the launcher's prefix, e.g.
// "calc is not a Qt 5 Widgets application: it loaded no Qt 5 library".
std::string attachFailureReason(const AttachObservation &seen, const AttachContext &context);
