#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

// The launcher's children, the program and a private X server: started so that they end
// with the launcher, watched through SIGCHLD, ended with a grace period.

namespace Launcher {

struct Options;

using Clock = std::chrono::steady_clock;

int milliseconds(Clock::duration duration);

// SIGCHLD wakes the launcher's waits through a pipe (wakeDescriptor); SIGINT, SIGTERM,
// SIGHUP and SIGQUIT are passed on to the program once it runs, which decides how to end.
void installSignalHandlers();
int wakeDescriptor();
void drainWakePipe();

// A private X server on the first free display of WIDTHxHEIGHT; its name (":N") in
// *display. The launcher fails when none starts.
pid_t startXvfb(const std::string &screen, std::string *display);
void stopXvfb(pid_t pid);

// Starts the program with the environment as it is now, `statusEnd` inherited as the
// plug-in's status socket; signals go to it from now on. Exits with 126 or 127 when it
// cannot be run.
pid_t startProgram(const Options &options, int statusEnd);
// True and the shell's view of its exit in *status once the program ended.
bool reapProgram(pid_t pid, int *status);
// SIGTERM, then SIGKILL after a grace period; the program's status.
int endProgram(pid_t pid);

} // namespace Launcher
