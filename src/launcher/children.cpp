#include "children.h"

#include "launchoptions.h"
#include "qtplugin/attachstatus.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace Launcher {

namespace {

// SIGCHLD wakes the waits through a pipe; the usual ending signals are passed on to the
// program, which decides how to end.
int wakePipe[2] = {-1, -1};
volatile pid_t programPid = 0;

const int xvfbStartSeconds = 10;
const int terminateGraceSeconds = 5;

void onSignal(int signal)
{
    const int savedErrno = errno;
    if (signal == SIGCHLD) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    } else if (programPid > 0) {
        ::kill(programPid, signal);
    }
    errno = savedErrno;
}

// In a child before exec: a launcher that dies (even by SIGKILL) takes the child along,
// so no application or X server outlives a cancelled CI job.
void endWithParent(pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(launcherFailed);
}

void makePipe(int ends[2])
{
    if (::pipe2(ends, O_CLOEXEC) != 0)
        fail(std::string("cannot create a pipe: ") + std::strerror(errno));
}

// Forks a child that ends with the launcher; `what` names it should that fail.
pid_t forkChild(const char *what)
{
    const pid_t launcher = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0)
        fail(std::string("cannot start ") + what + ": " + std::strerror(errno));
    if (pid == 0)
        endWithParent(launcher);
    return pid;
}

// The shell's view of how a process ended.
int exitStatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return launcherFailed;
}

} // namespace

void installSignalHandlers()
{
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        fail(std::string("cannot create a pipe: ") + std::strerror(errno));
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::sigaction(signal, &action, nullptr);
}

void drainWakePipe()
{
    char bytes[64];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
}

int milliseconds(Clock::duration duration)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

// A private X server on the first free display; its number in *display. Put in a process
// group of its own, so that a Ctrl+C meant for the program does not pull the screen away
// from under it first.
pid_t startXvfb(const std::string &screen, std::string *display)
{
    int displayPipe[2];
    makePipe(displayPipe);
    const pid_t pid = forkChild("Xvfb");
    if (pid == 0) {
        ::setpgid(0, 0);
        ::fcntl(displayPipe[1], F_SETFD, 0);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        const std::string fd = std::to_string(displayPipe[1]);
        const std::string screenDepth = screen + "x24";
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screenDepth.c_str(),
                 "-nolisten", "tcp", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(displayPipe[1]);
    std::string number;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(xvfbStartSeconds);
    while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
        pollfd readable = {displayPipe[0], POLLIN, 0};
        if (::poll(&readable, 1, milliseconds(deadline - Clock::now())) <= 0)
            continue;
        char bytes[16];
        const ssize_t got = ::read(displayPipe[0], bytes, sizeof bytes);
        if (got <= 0)
            break;
        number.append(bytes, size_t(got));
    }
    ::close(displayPipe[0]);
    if (number.find('\n') == std::string::npos) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        fail("Xvfb did not start; --xvfb needs the X virtual frame buffer (Debian package "
             "xvfb)");
    }
    *display = ":" + number.substr(0, number.find('\n'));
    return pid;
}

void stopXvfb(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// Starts the program with the environment set up, and the status socket's far end
// inherited. Exits with 126 or 127 when it cannot be run.
pid_t startProgram(const Options &options, int statusEnd)
{
    int execFailure[2];
    makePipe(execFailure);
    const pid_t pid = forkChild("the program");
    if (pid == 0) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        for (const int signal : {SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            ::sigaction(signal, &action, nullptr);
        ::fcntl(statusEnd, F_SETFD, 0);
        ::setenv(AttachStatus::environmentVariable, std::to_string(statusEnd).c_str(), 1);
        std::vector<char *> argv;
        for (const std::string &arg : options.command)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(execFailure[1], &error, sizeof error);
        ::_exit(127);
    }
    programPid = pid;
    ::close(execFailure[1]);
    int error = 0;
    ssize_t got;
    do
        got = ::read(execFailure[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(execFailure[0]);
    if (got == ssize_t(sizeof error)) {
        ::waitpid(pid, nullptr, 0);
        fail("cannot run " + options.command.front() + ": " + std::strerror(error),
             error == ENOENT ? 127 : 126);
    }
    return pid;
}

// Waits for the program; true and its status in *status once it ended.
bool reapProgram(pid_t pid, int *status)
{
    int waitStatus = 0;
    if (::waitpid(pid, &waitStatus, WNOHANG) != pid)
        return false;
    *status = exitStatusOf(waitStatus);
    return true;
}

int endProgram(pid_t pid)
{
    ::kill(pid, SIGTERM);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(terminateGraceSeconds);
    int status = 0;
    while (!reapProgram(pid, &status)) {
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            int waitStatus = 0;
            ::waitpid(pid, &waitStatus, 0);
            return exitStatusOf(waitStatus);
        }
        pollfd wake = {wakePipe[0], POLLIN, 0};
        ::poll(&wake, 1, 100);
        drainWakePipe();
    }
    return status;
}

int wakeDescriptor()
{
    return wakePipe[0];
}

} // namespace Launcher
