#pragma once

#include "attachdiagnosis.h"
#include "children.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace Launcher {

struct Options;

// The running program as the launcher follows it: the wake pipe tells that it may have
// ended, the status socket what the plug-in says.
class ProgramWatch
{
public:
    ProgramWatch(pid_t pid, int statusFd) : pid(pid), statusFd(statusFd) {}

    // Until the agent connected, the plug-in gave up, the program ended or the time ran
    // out; true once the agent connected. Meanwhile the program's memory maps are sampled:
    // should no agent connect, they tell why.
    bool waitForAttach(int timeoutSeconds);

    // Until the program ended, and its status then. Should the plug-in report a failure
    // after all, the wait ends at once and the program is left to itself.
    int waitForEnd();

    // The one line that tells why no agent connected; the program is ended if it still
    // runs. Returns the program's status.
    int giveUp(const Options &options, const std::vector<AgentPlugin> &plugins);

private:
    void watch(int timeoutMs);
    void readStatus();

    const pid_t pid;
    int statusFd;
    std::string pending;
    AttachObservation seen;
    Clock::time_point start;
    bool attached = false;
    bool failed = false;
    bool ended = false;
    bool polling = true;
    int programStatus = 0;
};

} // namespace Launcher
