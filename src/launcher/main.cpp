// testclient-run: starts an unmodified Qt 5 or Qt 6 Widgets application with the agent attached.
//
//   testclient-run [--port N] [--headless|--xvfb|--desktop] [--screen WxH]
//                  [--timeout SECONDS] [--plain] -- PROGRAM [ARGS...]
//
// It reads which Qt the program links (qtlinkage.h) and points Qt at the agent's generic
// plug-in built for that Qt (QT_PLUGIN_PATH, QT_QPA_GENERIC_PLUGINS "testclient:port=N:extended",
// the agent's extended mode unless --plain), picks the display (headless and Xvfb with a screen of
// WxH, 1920x1080 unless told: room for a desktop program's main window), runs the program and waits
// until the agent has connected to the driver on port N, which must already listen. When no agent
// connects in time, it writes one line to standard error, "testclient-run: no agent connected: "
// and the reason, ends the program and returns the program's status. Its own failures (bad usage,
// no Xvfb) return 125, a program that cannot be run 126 or 127, and otherwise the program's exit
// code, or 128 plus the signal that ended it.
//
// The plug-in reports its progress through a socket pair the program inherits
// (qtplugin/attachstatus.h); until the plug-in speaks, the libraries mapped into the
// program's processes tell why it has not loaded (attachdiagnosis.h).

#include "attachdiagnosis.h"
#include "qtlinkage.h"
#include "qtplugin/attachstatus.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const int launcherFailed = 125;
const int defaultTimeoutSeconds = 30;
const int mapsSampleMs = 100;
const int xvfbStartSeconds = 10;
const int terminateGraceSeconds = 5;
const char prefix[] = "testclient-run: ";
const char usage[] = "usage: testclient-run [--port N] [--headless|--xvfb|--desktop] "
                     "[--screen WxH] [--timeout SECONDS] [--plain] -- PROGRAM [ARGS...]";
// The screen of the headless and the Xvfb display, and the range the plug-in accepts.
const char defaultScreen[] = "1920x1080";
const long smallestScreenSide = 320;
const long largestScreenSide = 16384;

enum class Display { Headless, Xvfb, Desktop };

struct Options
{
    unsigned port = 4242;
    Display display = Display::Headless;
    int timeoutSeconds = defaultTimeoutSeconds;
    std::string screen = defaultScreen;
    bool extended = true; // the agent's extended mode; --plain keeps to the protocol alone
    std::vector<std::string> command;
};

[[noreturn]] void fail(const std::string &message, int code = launcherFailed)
{
    std::fprintf(stderr, "%s%s\n", prefix, message.c_str());
    std::exit(code);
}

bool parseNumber(const char *text, long low, long high, long *value)
{
    char *end = nullptr;
    errno = 0;
    *value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && *value >= low && *value <= high;
}

// "WIDTHxHEIGHT", each side within the range the plug-in accepts.
bool isScreenSize(const std::string &text)
{
    const size_t x = text.find('x');
    long side = 0;
    return x != std::string::npos &&
           parseNumber(text.substr(0, x).c_str(), smallestScreenSide, largestScreenSide, &side) &&
           parseNumber(text.substr(x + 1).c_str(), smallestScreenSide, largestScreenSide, &side);
}

Options parseOptions(int argc, char *argv[])
{
    Options options;
    // TESTCLIENT_EXTENDED=0 from whoever started us (testclient-driver --plain) means plain.
    const char *extended = std::getenv("TESTCLIENT_EXTENDED");
    if (extended && std::string(extended) == "0")
        options.extended = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        long value = 0;
        if (arg == "--") {
            ++i;
            break;
        } else if (arg == "--port" && i + 1 < argc && parseNumber(argv[i + 1], 1, 65535, &value)) {
            options.port = unsigned(value);
            ++i;
        } else if (arg == "--timeout" && i + 1 < argc &&
                   parseNumber(argv[i + 1], 1, 24 * 3600, &value)) {
            options.timeoutSeconds = int(value);
            ++i;
        } else if (arg == "--screen" && i + 1 < argc && isScreenSize(argv[i + 1])) {
            options.screen = argv[i + 1];
            ++i;
        } else if (arg == "--plain") {
            options.extended = false;
        } else if (arg == "--headless") {
            options.display = Display::Headless;
        } else if (arg == "--xvfb") {
            options.display = Display::Xvfb;
        } else if (arg == "--desktop") {
            options.display = Display::Desktop;
        } else if (arg == "--help" || arg == "-h") {
            std::printf("%s\n", usage);
            std::exit(0);
        } else if (!arg.empty() && arg[0] == '-') {
            fail("bad option " + arg + "\n" + usage);
        } else {
            break; // the program, without "--"
        }
    }
    for (; i < argc; ++i)
        options.command.push_back(argv[i]);
    if (options.command.empty())
        fail(std::string("no program given\n") + usage);
    return options;
}

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

// Signals: SIGCHLD wakes the wait loop through a pipe; the usual ending signals are
// passed on to the program, which decides how to end.
int wakePipe[2] = {-1, -1};
volatile pid_t programPid = 0;

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

void appendToVariable(const char *name, const std::string &value, char separator)
{
    const char *old = std::getenv(name);
    const std::string joined = old && *old ? value + separator + old : value;
    ::setenv(name, joined.c_str(), 1);
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

// The shell's view of how a process ended.
int exitStatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return launcherFailed;
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

// The running program as the launcher follows it: the wake pipe tells that it may have
// ended, the status socket what the plug-in says.
class ProgramWatch
{
public:
    ProgramWatch(pid_t pid, int statusFd) : pid(pid), statusFd(statusFd) {}

    // Until the agent connected, the plug-in gave up, the program ended or the time ran
    // out; true once the agent connected. Meanwhile the program's memory maps are sampled:
    // should no agent connect, they tell why.
    bool waitForAttach(int timeoutSeconds)
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

    // Until the program ended, and its status then. Should the plug-in report a failure
    // after all, the wait ends at once and the program is left to itself.
    int waitForEnd()
    {
        while (!ended && !failed && polling)
            watch(-1);
        return programStatus;
    }

    // The one line that tells why no agent connected; the program is ended if it still
    // runs. Returns the program's status.
    int giveUp(const Options &options, const std::vector<AgentPlugin> &plugins)
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

private:
    void watch(int timeoutMs)
    {
        pollfd fds[2] = {{wakePipe[0], POLLIN, 0}, {statusFd, POLLIN, 0}};
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

    void readStatus()
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

} // namespace

int main(int argc, char *argv[])
{
    const Options options = parseOptions(argc, argv);
    AttachContext known;
    known.plugins = findPlugins();
    const std::string pluginPath = choosePlugins(options.command.front(), &known);

    installSignalHandlers();
    const pid_t xvfb = prepareEnvironment(options, pluginPath);

    int status[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, status) != 0)
        fail(std::string("cannot create a socket pair: ") + std::strerror(errno));
    const pid_t pid = startProgram(options, status[1]);
    programPid = pid;
    ::close(status[1]);

    ProgramWatch program(pid, status[0]);
    const int programStatus = program.waitForAttach(options.timeoutSeconds)
                                  ? program.waitForEnd()
                                  : program.giveUp(options, known.plugins);
    stopXvfb(xvfb);
    return programStatus;
}
