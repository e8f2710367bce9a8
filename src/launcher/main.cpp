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

#include "children.h"
#include "launchoptions.h"
#include "pluginsearch.h"
#include "programwatch.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace Launcher;

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
    ::close(status[1]);

    ProgramWatch program(pid, status[0]);
    const int programStatus = program.waitForAttach(options.timeoutSeconds)
                                  ? program.waitForEnd()
                                  : program.giveUp(options, known.plugins);
    stopXvfb(xvfb);
    return programStatus;
}
