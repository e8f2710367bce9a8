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
// Lines starting with '#' are comments; an empty input line is skipped. Lines starting
// with ':' are the driver's own commands and never reach the agent (:help lists them);
// ":time 1000 7,Calculator,display,,text," shows what a request costs in round trips.

#include "agentconnection.h"
#include "driverserver.h"
#include "lineinput.h"
#include "replydecoder.h"
#include "requesttimer.h"
#include "widgetspy.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
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

const char helpText[] =
    "Requests (fields separated by commas; {hex:TEXT} hex-encodes a value):\n"
    "  1                               list windows\n"
    "  2,<window>                      widget tree of a window\n"
    "  3                               the widget under the cursor\n"
    "  4,<window>,<path>               point at a widget\n"
    "  5,<window>,<path>,<class>,{hex:VALUE},{hex:VALUE}   activate\n"
    "  6,<window>,<path>,<class>,{hex:VALUE},               enter a value\n"
    "  7,<window>,<path>,<class>,<property>,[s:parameter]   read a property\n"
    "  8,<window>                      check a window\n"
    "  9,<window>,<path>,<class>,{hex:s:MouseClick:LeftButton:0.5:0.5:},   mouse\n"
    "  10,<window>,<x>,<y>  11,<window>,<width>,<height>  12,,<trayIconName>\n"
    "VALUE is s:text, b:true, b:false or i:number. A window is a title prefix or\n"
    "Widget:<objectName>; a path is names from the window down, an empty element a gap.\n"
    "Driver commands (never sent to the agent):\n"
    "  :help   this text\n"
    "  :spy    every window's widgets with an address that finds each of them\n"
    "  :time [N] <request>   send the request N times (100) and show its round trips\n"
    "  :quit   end the driver\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("testclient-driver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Drives a TestClient agent: listens on 127.0.0.1 (port 4242 unless "
                       "told otherwise), waits for an agent's greeting and sends it request "
                       "lines. Type :help for the requests and the driver's own commands."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("script"),
                                 QStringLiteral("File of request lines (default: interactive)."));
    QCommandLineOption timeout(QStringLiteral("timeout"),
                               QStringLiteral("Seconds to wait for the agent and for each reply."),
                               QStringLiteral("seconds"), QStringLiteral("30"));
    QCommandLineOption quiet(QStringLiteral("raw"), QStringLiteral("Print raw replies only."));
    QCommandLineOption json(QStringLiteral("json"),
                            QStringLiteral("Print one JSON object per request and reply."));
    QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on."),
                            QStringLiteral("port"), QString::number(DriverServer::defaultPort));
    QCommandLineOption readyFile(QStringLiteral("ready-file"),
                                 QStringLiteral("Create this file once listening (for scripts)."),
                                 QStringLiteral("path"));
    parser.addOptions({readyFile, timeout, quiet, json, port});
    parser.addPositionalArgument(QStringLiteral("-- command"),
                                 QStringLiteral("Program to start once listening (optional)."));
    parser.process(app);

    const int timeoutMs = parser.value(timeout).toInt() * 1000;
    const bool jsonOutput = parser.isSet(json);
    const quint16 portNumber = quint16(parser.value(port).toUInt());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    const int dashes = arguments.indexOf(QStringLiteral("--"));
    const QStringList commandLine = dashes < 0 ? QStringList() : arguments.mid(dashes + 1);
    QStringList args = parser.positionalArguments();
    args = args.mid(0, args.size() - commandLine.size());

    DriverServer server;
    if (!server.listen(portNumber)) {
        err << "cannot listen on 127.0.0.1:" << portNumber << ": " << server.errorString()
            << Qt::endl;
        return 2;
    }
    (jsonOutput ? err : out) << "listening on 127.0.0.1:" << portNumber
                             << ", waiting for an agent..." << Qt::endl;
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
        err << "no agent connected" << Qt::endl;
        endCommand(&command);
        return 3;
    }
    if (jsonOutput)
        out << QJsonDocument(QJsonObject{{QStringLiteral("greeting"),
                                          QString::fromLatin1(agent->greeting())}})
                   .toJson(QJsonDocument::Compact)
            << Qt::endl;
    else
        out << "greeting: " << agent->greeting() << Qt::endl;

    LineInput input;
    if (args.isEmpty()) {
        input.openTerminal();
    } else if (!input.openFile(args.first())) {
        err << "cannot read " << args.first() << Qt::endl;
        return 2;
    }
    const bool interactive = input.isInteractive();

    int failures = 0;
    QString raw;
    while (input.readLine(&raw)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString word = line.toLower();
        if (line == QLatin1String(":quit") ||
            (interactive && (word == QLatin1String("quit") || word == QLatin1String("exit"))))
            break;
        if (line == QLatin1String(":help") || (interactive && word == QLatin1String("help"))) {
            out << helpText << Qt::flush;
            continue;
        }
        if (line == QLatin1String(":spy")) {
            const QStringList lines = WidgetSpy::spy(agent, timeoutMs);
            if (jsonOutput)
                out << QJsonDocument(
                           QJsonObject{{QStringLiteral("spy"), QJsonArray::fromStringList(lines)}})
                           .toJson(QJsonDocument::Compact)
                    << Qt::endl;
            else
                out << lines.join('\n') << Qt::endl;
            continue;
        }
        if (line.startsWith(QLatin1String(":time"))) {
            int count = 0;
            QString request, error;
            if (!RequestTimer::parse(line, &count, &request, &error)) {
                err << error << Qt::endl;
                continue;
            }
            const QByteArray bytes = expandHex(request);
            const RequestTimer::Timing timing =
                RequestTimer::run(bytes, count, [&] { return agent->request(bytes, timeoutMs); });
            if (jsonOutput)
                out << QJsonDocument(
                           QJsonObject{{QStringLiteral("time"), RequestTimer::toJson(timing)}})
                           .toJson(QJsonDocument::Compact)
                    << Qt::endl;
            else
                out << ">> " << line << '\n' << RequestTimer::describe(timing) << Qt::endl;
            if (timing.failed) {
                ++failures;
                if (!agent->isConnected())
                    break;
            }
            continue;
        }
        if (line.startsWith(QLatin1Char(':'))) {
            err << "unknown driver command " << line << " (:help lists them)" << Qt::endl;
            continue;
        }
        const QByteArray reply = agent->request(expandHex(line), timeoutMs);
        if (jsonOutput) {
            QJsonObject object = ReplyDecoder::toJson(reply);
            object.insert(QStringLiteral("request"), line);
            out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            if (!interactive)
                out << ">> " << line << '\n';
            out << reply << '\n';
            if (!parser.isSet(quiet))
                out << "   " << ReplyDecoder::describe(reply).replace('\n', QStringLiteral("\n   "))
                    << '\n';
        }
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
