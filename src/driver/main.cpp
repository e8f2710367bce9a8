// testclient-driver: waits for an agent on 127.0.0.1:4242 (or --port) and sends it request
// lines, typed interactively or read from a script file, printing each raw reply and a
// readable form of it.
//
// A command after "--" is started once the driver listens and ended when the script is
// done, so one line drives an application from start to end:
//   testclient-driver calc.requests -- testclient-run -- /path/to/calculator
//
// In a request, write {hex:TEXT} to send TEXT hex-encoded (the values of the activate,
// enter and mouse requests travel that way), e.g.  5,Gallery,okButton,,{hex:b:true},
// Inside {hex:...}, \n stands for a line feed.
// Lines starting with '#' are comments; an empty input line is skipped.

#include "agentconnection.h"
#include "driverserver.h"
#include "replydecoder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>

namespace {

QByteArray expandHex(const QString &line)
{
    static const QRegularExpression hexField(QStringLiteral("\\{hex:([^}]*)\\}"));
    QString result = line;
    QRegularExpressionMatch match;
    while ((match = hexField.match(result)).hasMatch()) {
        QString value = match.captured(1);
        value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        result.replace(match.capturedStart(), match.capturedLength(),
                       QString::fromLatin1(ReplyDecoder::hexValue(value)));
    }
    return result.toUtf8();
}

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("testclient-driver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drives a TestClient agent: listens on 127.0.0.1:4242, waits for an "
                       "agent's greeting and sends it request lines."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("script"),
                                 QStringLiteral("File of request lines (default: interactive)."));
    QCommandLineOption timeout(QStringLiteral("timeout"),
                               QStringLiteral("Seconds to wait for the agent and for each reply."),
                               QStringLiteral("seconds"), QStringLiteral("30"));
    QCommandLineOption quiet(QStringLiteral("raw"), QStringLiteral("Print raw replies only."));
    QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on."),
                            QStringLiteral("port"), QString::number(DriverServer::defaultPort));
    parser.addOption(port);
    parser.addPositionalArgument(QStringLiteral("-- command"),
                                 QStringLiteral("Program to start once listening (optional)."));
    QCommandLineOption readyFile(QStringLiteral("ready-file"),
                                 QStringLiteral("Create this file once listening (for scripts)."),
                                 QStringLiteral("path"));
    parser.addOption(readyFile);
    parser.addOption(timeout);
    parser.addOption(quiet);
    parser.process(app);

    const int timeoutMs = parser.value(timeout).toInt() * 1000;
    QTextStream out(stdout);
    const QStringList arguments = QCoreApplication::arguments();
    const int dashes = arguments.indexOf(QStringLiteral("--"));
    const QStringList commandLine = dashes < 0 ? QStringList() : arguments.mid(dashes + 1);
    QStringList args = parser.positionalArguments();
    args = args.mid(0, args.size() - commandLine.size());

    DriverServer server;
    const QString address = QStringLiteral("127.0.0.1:") + parser.value(port);
    if (!server.listen(quint16(parser.value(port).toUInt()))) {
        QTextStream(stderr) << "cannot listen on " << address << ": " << server.errorString()
                            << Qt::endl;
        return 2;
    }
    out << "listening on " << address << ", waiting for an agent..." << Qt::endl;
    if (parser.isSet(readyFile)) {
        QFile ready(parser.value(readyFile));
        ready.open(QIODevice::WriteOnly);
    }
    QProcess command;
    command.setProcessChannelMode(QProcess::ForwardedChannels);
    if (!commandLine.isEmpty())
        command.start(commandLine.first(), commandLine.mid(1));
    AgentConnection *agent = nullptr;
    QElapsedTimer waited;
    waited.start();
    // A command that ends has nothing left to attach: stop waiting then.
    while (!agent && waited.elapsed() < timeoutMs &&
           (commandLine.isEmpty() || command.state() != QProcess::NotRunning))
        agent = server.waitForAgent(100);
    if (!agent) {
        QTextStream(stderr) << "no agent connected" << Qt::endl;
        endCommand(&command);
        return 3;
    }
    out << "greeting: " << agent->greeting() << Qt::endl;

    QFile input;
    const bool interactive = args.isEmpty();
    if (interactive) {
        if (!input.open(stdin, QIODevice::ReadOnly))
            return 2;
    } else {
        input.setFileName(args.first());
        if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream(stderr) << "cannot read " << args.first() << Qt::endl;
            return 2;
        }
    }

    int failures = 0;
    while (true) {
        if (interactive) {
            out << "> " << Qt::flush;
        }
        const QByteArray raw = input.readLine();
        if (raw.isEmpty() && input.atEnd())
            break;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QByteArray reply = agent->request(expandHex(line), timeoutMs);
        if (!interactive)
            out << ">> " << line << '\n';
        out << reply << '\n';
        if (!parser.isSet(quiet))
            out << "   " << ReplyDecoder::describe(reply).replace('\n', QStringLiteral("\n   "))
                << '\n';
        out.flush();
        if (reply.isNull()) {
            ++failures;
            if (!agent->isConnected())
                break;
        }
    }
    endCommand(&command);
    return failures ? 1 : 0;
}
