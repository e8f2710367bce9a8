#include "programwatch.h"

#include "launchoptions.h"
#include "qtplugin/attachstatus.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace Launcher {

namespace {

// How often the program's memory maps are read while the launcher waits for its agent.
const int mapsSampleMs = 100;

} // namespace

bool ProgramWatch::waitForAttach(int timeoutSeconds)
{
    start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::seconds(timeoutSeconds);
    Clock::time_point nextSample = start;
    while (!ended && !attached && !failed && polling) {
        if (Clock::now() >= nextSample) {
            seen.addProcessTree(pid, TESTCLIENT_PLUGIN_FILE);
            nextSample = Clock::now() + std::chrono::milliseconds(mapsSampleMs);
        }
        if (Clock::now() >= deadline)
            failed = true;
        else
            watch(std::max(0, milliseconds(nextSample - Clock::now())));
    }
    return attached;
}

int ProgramWatch::waitForEnd()
{
    while (!ended && !failed && polling)
        watch(-1);
    return programStatus;
}

int ProgramWatch::giveUp(const Options &options, const std::vector<AgentPlugin> &plugins)
{
    AttachContext context;
    context.program = options.command.front();
    context.port = options.port;
    context.waitedSeconds =
        int(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count());
    context.plugins = plugins;
    context.exited = ended;
    context.exitStatus = programStatus;
    std::fprintf(stderr, "%sno agent connected: %s\n", prefix,
                 attachFailureReason(seen, context).c_str());
    return ended ? programStatus : endProgram(pid);
}

void ProgramWatch::watch(int timeoutMs)
{
    pollfd fds[2] = {{wakeDescriptor(), POLLIN, 0}, {statusFd, POLLIN, 0}};
    if (::poll(fds, statusFd >= 0 ? 2 : 1, timeoutMs) < 0 && errno != EINTR) {
        polling = false;
        return;
    }
    if (fds[0].revents) {
        drainWakePipe();
        ended = reapProgram(pid, &programStatus);
    }
    if (statusFd >= 0 && fds[1].revents)
        readStatus();
}

void ProgramWatch::readStatus()
{
    char bytes[512];
    const ssize_t got = ::read(statusFd, bytes, sizeof bytes);
    if (got <= 0) {
        ::close(statusFd);
        statusFd = -1;
        return;
    }
    pending.append(bytes, size_t(got));
    std::string::size_type newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        seen.addStatus(pending.substr(0, newline));
        pending.erase(0, newline + 1);
        if (seen.status == AttachStatus::connected)
            attached = true;
        else if (seen.status != AttachStatus::loaded && seen.status != AttachStatus::created)
            failed = true;
    }
}

} // namespace Launcher
