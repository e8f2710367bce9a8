// testclient-driver: waits for an agent on 127.0.0.1:4242 (or --port) and sends it request
// lines, typed interactively or read from a script file, printing each raw reply and a
// readable form of it.
//
// A command after "--" is started once the driver listens and ended when the script is
// done, so one line drives an application from start to end:
//   testclient-driver calc.requests -- testclient-run -- /path/to/calculator
// Its agent starts in the extended mode (TESTCLIENT_EXTENDED=1) unless --plain is given.
//
// In a request, write {hex:TEXT} to send TEXT hex-encoded (the values of the activate,
// enter and mouse requests travel that way), e.g.  5,Gallery,okButton,,{hex:b:true},
// Inside {hex:...}, \n stands for a line feed.
// Lines starting with '#' are comments; an empty input line is skipped. Lines starting
// with ':' are the driver's own commands and never reach the agent (:help lists them);
// ":time 1000 7,Calculator,display,,text," shows what a request costs in round trips.

#include "agentconnection.h"
#include "driveroptions.h"
#include "driverserver.h"
#include "lineinput.h"
#include "session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace {

// Ends the command the driver started, as a user closing it would.
void endCommand(QProcess *command)
{
    if (command->state() == QProcess::NotRunning)
        return;
    command->terminate();
    if (!command->waitForFinished(10000))
        command->kill();
    command->waitForFinished(1000);
}

// Waits for the agent's greeting; a command that ends has nothing left to attach, so the
// wait stops then.
AgentConnection *waitForAgent(DriverServer &server, const QProcess &command,
                              const DriverOptions &options)
{
    AgentConnection *agent = nullptr;
    QElapsedTimer waited;
    waited.start();
    while (!agent && waited.elapsed() < options.timeoutMs &&
           (options.commandLine.isEmpty() || command.state() != QProcess::NotRunning))
        agent = server.waitForAgent(100);
    return agent;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("testclient-driver"));
    const DriverOptions options = parseOptions(app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    DriverServer server;
    if (!server.listen(options.port)) {
        err << "cannot listen on 127.0.0.1:" << options.port << ": " << server.errorString()
            << Qt::endl;
        return 2;
    }
    (options.jsonOutput ? err : out)
        << "listening on 127.0.0.1:" << options.port << ", waiting for an agent..." << Qt::endl;
    if (!options.readyFile.isEmpty())
        QFile(options.readyFile).open(QIODevice::WriteOnly);
    QProcess command;
    command.setProcessChannelMode(QProcess::ForwardedChannels);
    // The agent of the command, however it is made (testclient-run, the host contract),
    // starts in the extended mode unless asked otherwise.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (options.plain)
        environment.insert(QStringLiteral("TESTCLIENT_EXTENDED"), QStringLiteral("0"));
    else if (!environment.contains(QStringLiteral("TESTCLIENT_EXTENDED")))
        environment.insert(QStringLiteral("TESTCLIENT_EXTENDED"), QStringLiteral("1"));
    command.setProcessEnvironment(environment);
    if (!options.commandLine.isEmpty())
        command.start(options.commandLine.first(), options.commandLine.mid(1));
    AgentConnection *agent = waitForAgent(server, command, options);
    if (!agent) {
        err << "no agent connected" << Qt::endl;
        endCommand(&command);
        return 3;
    }

    Session session(agent, options, out, err);
    session.greet();
    LineInput input;
    if (!options.script) {
        input.openTerminal();
    } else if (!input.openFile(*options.script)) {
        err << "cannot read " << *options.script << Qt::endl;
        return 2;
    }
    const int failures = session.run(input);
    endCommand(&command);
    return failures ? 1 : 0;
}
