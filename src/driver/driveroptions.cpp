#include "driveroptions.h"

#include "driverserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>

DriverOptions parseOptions(const QCoreApplication &app)
{
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
    QCommandLineOption raw(QStringLiteral("raw"), QStringLiteral("Print raw replies only."));
    QCommandLineOption json(QStringLiteral("json"),
                            QStringLiteral("Print one JSON object per request and reply."));
    QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on."),
                            QStringLiteral("port"), QString::number(DriverServer::defaultPort));
    QCommandLineOption readyFile(QStringLiteral("ready-file"),
                                 QStringLiteral("Create this file once listening (for scripts)."),
                                 QStringLiteral("path"));
    QCommandLineOption plain(
        QStringLiteral("plain"),
        QStringLiteral("Start the command's agent without the extended mode (it is on unless "
                       "TESTCLIENT_EXTENDED says otherwise)."));
    parser.addOptions({readyFile, timeout, raw, json, port, plain});
    parser.addPositionalArgument(QStringLiteral("-- command"),
                                 QStringLiteral("Program to start once listening (optional)."));
    parser.process(app);

    DriverOptions options;
    options.timeoutMs = parser.value(timeout).toInt() * 1000;
    options.jsonOutput = parser.isSet(json);
    options.rawOnly = parser.isSet(raw);
    options.plain = parser.isSet(plain);
    options.port = quint16(parser.value(port).toUInt());
    options.readyFile = parser.value(readyFile);
    const QStringList arguments = QCoreApplication::arguments();
    const int dashes = arguments.indexOf(QStringLiteral("--"));
    if (dashes >= 0)
        options.commandLine = arguments.mid(dashes + 1);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > options.commandLine.size())
        options.script = positional.first();
    return options;
}
