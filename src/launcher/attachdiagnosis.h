#pragma once

#include <set>
#include <string>
#include <vector>

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
    std::string qtCorePath;      // the first Qt core library seen, of any major version
    int qtMajor = 0;             // its major version; else the one the plug-in reported
    std::set<int> qtGui;         // the major versions of the Qt GUI libraries seen
    std::set<int> qtWidgets;     // the major versions of the Qt Widgets libraries seen
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

// The agent plug-in built for one Qt major version, as the launcher looked for it.
struct AgentPlugin
{
    int qtMajor = 0;
    std::string dir;        // its plugins folder, the one given in QT_PLUGIN_PATH
    bool found = false;     // the plug-in file is in dir/generic
    bool offered = false;   // dir was given to the program in QT_PLUGIN_PATH
    std::string qtCore;     // the Qt core library it was built against; empty when unknown
    bool installed = false; // dir is an installed tree's, not a build folder's
};

struct AttachContext
{
    std::string program;              // as the user named it
    unsigned port = 0;                // the driver's port
    int waitedSeconds = 0;            // how long the launcher waited
    std::vector<AgentPlugin> plugins; // one for each Qt major version the launcher knows
    bool exited = false;              // the program ended before an agent connected
    int exitStatus = 0;               // then: its exit code, or 128 + signal

    // The plug-in for Qt `major`, or null when the launcher knows none.
    const AgentPlugin *pluginFor(int major) const;
};

// The reason no agent connected, one line without the launcher's prefix, e.g.
// "calc is not a Qt 5 Widgets application: it loaded no Qt 5 library".
std::string attachFailureReason(const AttachObservation &seen, const AttachContext &context);

// Why a program of Qt `major` cannot have the agent: no plug-in built for that Qt was found.
// The launcher says it before starting a program its ELF file shows to be of that Qt.
std::string missingPluginReason(const std::string &program, int major,
                                const AttachContext &context);
