#include "session.h"

#include "agentconnection.h"
#include "lineinput.h"
#include "replydecoder.h"
#include "requesttimer.h"
#include "screenshot.h"
#include "widgetspy.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

// A secret (a password) stays out of the script: {secret:NAME} is the text held by the
// environment variable NAME, as a hex-encoded value.
const QRegularExpression secretField(QStringLiteral("\\{secret:([A-Za-z_][A-Za-z0-9_]*)\\}"));

// The first variable a line's secrets name that is not set, or an empty text.
QString missingSecret(const QString &line)
{
    QRegularExpressionMatchIterator matches = secretField.globalMatch(line);
    while (matches.hasNext()) {
        const QString name = matches.next().captured(1);
        if (!qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
            return name;
    }
    return QString();
}

QByteArray expandHex(const QString &line)
{
    static const QRegularExpression hexField(QStringLiteral("\\{hex:([^}]*)\\}"));
    QString result = line;
    QRegularExpressionMatch match;
    while ((match = secretField.match(result)).hasMatch()) {
        const QString secret = QStringLiteral("s:") +
                               qEnvironmentVariable(match.captured(1).toLocal8Bit().constData());
        result.replace(match.capturedStart(), match.capturedLength(),
                       QString::fromLatin1(secret.toUtf8().toHex()));
    }
    while ((match = hexField.match(result)).hasMatch()) {
        QString value = match.captured(1);
        value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        result.replace(match.capturedStart(), match.capturedLength(),
                       QString::fromLatin1(ReplyDecoder::hexValue(value)));
    }
    return result.toUtf8();
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
    "  :shot FILE <window>[,<path>]   write a PNG of the window or widget (extended agents)\n"
    "  :time [N] <request>   send the request N times (100) and show its round trips\n"
    "  :wait <window>   wait (up to the reply timeout) until the window is there\n"
    "  :patience N   from here on, before each step (5, 6, 9, 23) on a widget, wait up to\n"
    "          N seconds until the widget is there and enabled (0: send at once)\n"
    "  :quit   end the driver\n"
    "In a request, {secret:NAME} is the text in the environment variable NAME, hex-encoded\n"
    "as s:TEXT (a password kept out of the script; the output shows the request as written).\n";

// What an agent in the extended mode answers besides.
const char extendedHelpText[] =
    "This agent is in the extended mode:\n"
    "  20                              visible windows, each with an address (JSON)\n"
    "  21,<window>                     a window's visible widgets, each with an address (JSON)\n"
    "  22,<window>,<path>              PNG of the widget (the window for an empty path)\n"
    "  23,<window>,<path>,<class>,{hex:s:KEYS},   press keys on the widget (the window's\n"
    "                                  focus widget for an empty path); KEYS in Qt's form:\n"
    "                                  Return, F5, Ctrl+S, Shift+Tab, several as Tab, Space\n"
    "  24                              start recording what a person does\n"
    "  25                              stop recording\n"
    "  26                              the steps recorded so far (JSON)\n"
    "Enter (6) types into any focusable widget that has no proxy of its own.\n"
    "A path or window element in braces selects by what it shows: {QPushButton text=OK},\n"
    "{QLineEdit label='Name:'}, {type=QAbstractButton nth=2}; key~value means contains.\n";

// The driver's own commands; they never reach the agent. At the terminal the words also
// work as typed without their colon, as people type them.
struct DriverCommand
{
    QLatin1String name;
    bool takesArguments; // the name only starts the line
    QLatin1String words[2];
    Session::Next (Session::*run)(const QString &line);

    bool matches(const QString &line, bool interactive) const
    {
        if (takesArguments ? line.startsWith(name) : line == name)
            return true;
        const QString word = line.toLower();
        return interactive && std::any_of(std::begin(words), std::end(words),
                                          [&](QLatin1String w) { return word == w; });
    }
};

const DriverCommand driverCommands[] = {
    {QLatin1String(":quit"), false, {QLatin1String("quit"), QLatin1String("exit")}, &Session::quit},
    {QLatin1String(":help"), false, {QLatin1String("help")}, &Session::help},
    {QLatin1String(":spy"), false, {}, &Session::spy},
    {QLatin1String(":shot"), true, {}, &Session::shot},
    {QLatin1String(":time"), true, {}, &Session::time},
    {QLatin1String(":wait"), true, {}, &Session::wait},
    {QLatin1String(":patience"), true, {}, &Session::patience},
};

} // namespace

// Every answer goes out in the form chosen on the command line, flushed at once so that
// whoever reads the driver's output sees each answer as it comes.
void Session::print(const QJsonObject &json, const QString &text)
{
    if (options.jsonOutput)
        out << QJsonDocument(json).toJson(QJsonDocument::Compact);
    else
        out << text;
    out << Qt::endl;
}

void Session::greet()
{
    const QByteArray greeting = agent->greeting();
    print(QJsonObject{{QStringLiteral("greeting"), QString::fromLatin1(greeting)}},
          QStringLiteral("greeting: ") + QString::fromUtf8(greeting));
}

int Session::run(LineInput &input)
{
    interactive = input.isInteractive();
    QString raw;
    while (input.readLine(&raw)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (handle(line) == Next::Stop)
            break;
    }
    return failures;
}

Session::Next Session::handle(const QString &line)
{
    for (const DriverCommand &command : driverCommands) {
        if (command.matches(line, interactive))
            return (this->*command.run)(line);
    }
    if (line.startsWith(QLatin1Char(':'))) {
        err << "unknown driver command " << line << " (:help lists them)" << Qt::endl;
        return Next::Continue;
    }
    return request(line);
}

Session::Next Session::help(const QString &)
{
    out << helpText;
    if (agent->isExtended())
        out << extendedHelpText;
    out << Qt::flush;
    return Next::Continue;
}

Session::Next Session::spy(const QString &)
{
    const QStringList lines = WidgetSpy::spy(agent, options.timeoutMs);
    print(QJsonObject{{QStringLiteral("spy"), QJsonArray::fromStringList(lines)}},
          lines.join('\n'));
    return Next::Continue;
}

Session::Next Session::shot(const QString &line)
{
    QString file, error;
    QByteArray request;
    if (!ScreenShot::parse(line, &file, &request, &error)) {
        err << error << Qt::endl;
        return Next::Continue;
    }
    const ScreenShot::Result result = ScreenShot::take(agent, file, request, options.timeoutMs);
    print(QJsonObject{{QStringLiteral("shot"), ScreenShot::toJson(result)}},
          (interactive ? QString() : QStringLiteral(">> ") + line + QLatin1Char('\n')) +
              result.message);
    return result.reply.isNull() ? failed() : Next::Continue;
}

Session::Next Session::time(const QString &line)
{
    int count = 0;
    QString request, error;
    if (!RequestTimer::parse(line, &count, &request, &error)) {
        err << error << Qt::endl;
        return Next::Continue;
    }
    const QByteArray bytes = expandHex(request);
    const RequestTimer::Timing timing =
        RequestTimer::run(bytes, count, [&] { return agent->request(bytes, options.timeoutMs); });
    print(QJsonObject{{QStringLiteral("time"), RequestTimer::toJson(timing)}},
          QStringLiteral(">> ") + line + QLatin1Char('\n') + RequestTimer::describe(timing));
    return timing.failed ? failed() : Next::Continue;
}

// Sends the read again every 50 ms until its reply satisfies done, the agent is gone or
// waitMs has passed; the last reply.
QByteArray Session::poll(const QByteArray &read, int waitMs,
                         const std::function<bool(const QByteArray &)> &done)
{
    QElapsedTimer waited;
    waited.start();
    QByteArray reply;
    do {
        if (!reply.isNull())
            QThread::msleep(50);
        reply = agent->request(read, options.timeoutMs);
    } while (!done(reply) && !reply.isNull() && waited.elapsed() < waitMs);
    return reply;
}

// Asks for the window (request 8) until it is there and unique (a modal window above it
// does not matter), or the timeout has passed: a script's first request in a window it
// opens does not race the window.
Session::Next Session::wait(const QString &line)
{
    const QString window = line.mid(5).trimmed();
    const auto isThere = [](const QByteArray &reply) {
        return reply.startsWith("0,") || reply.startsWith("4,");
    };
    const QByteArray reply = poll("8," + window.toUtf8(), options.timeoutMs, isThere);
    const bool there = isThere(reply);
    print(QJsonObject{{QStringLiteral("wait"), window}, {QStringLiteral("found"), there}},
          (interactive ? QString() : QStringLiteral(">> ") + line + QLatin1Char('\n')) +
              (there ? QStringLiteral("window %1 is there").arg(window)
                     : QStringLiteral("window %1 did not come: %2")
                           .arg(window, QString::fromUtf8(reply))));
    return there ? Next::Continue : failed();
}

Session::Next Session::patience(const QString &line)
{
    bool ok = false;
    const double seconds = line.mid(9).trimmed().toDouble(&ok);
    if (!ok || seconds < 0) {
        err << ":patience takes the seconds to wait for each step's widget, not "
            << line.mid(9).trimmed() << Qt::endl;
        return Next::Continue;
    }
    patienceMs = int(qMin(seconds, 3600.0) * 1000);
    return Next::Continue;
}

// A person waits until they see the widget of their next step: a page that a click before
// it builds later, a button that a field enables. The wait reads the widget's "enabled"
// (request 7) while the lookup fails or the widget is disabled; the step then goes as
// written, and answers for itself if the widget never came. Its reply is the only one
// printed, so the replies a script compares stay those of its own lines.
void Session::awaitWidget(const QString &line)
{
    static const QRegularExpression step(QStringLiteral("^(5|6|9|23),([^,]*),([^,]+),([^,]*),"));
    const QRegularExpressionMatch fields = step.match(line);
    if (patienceMs <= 0 || !fields.hasMatch())
        return;
    const QByteArray read = QStringLiteral("7,%1,%2,%3,enabled,")
                                .arg(fields.captured(2), fields.captured(3), fields.captured(4))
                                .toUtf8();
    poll(read, patienceMs, [](const QByteArray &reply) {
        const ReplyDecoder::DecodedReply decoded = ReplyDecoder::decode(reply);
        const bool lookupFailed = decoded.form == ReplyDecoder::DecodedReply::Form::Error &&
                                  decoded.status >= '2' && decoded.status <= '7';
        return !lookupFailed && reply != "0,b:false";
    });
}

Session::Next Session::request(const QString &line)
{
    const QString missing = missingSecret(line);
    if (!missing.isEmpty()) {
        err << "not sent: the environment variable " << missing
            << " that holds its secret is not set" << Qt::endl;
        return failed();
    }
    awaitWidget(line);
    const QByteArray reply = agent->request(expandHex(line), options.timeoutMs);
    const ReplyDecoder::DecodedReply decoded = ReplyDecoder::decode(reply);
    QJsonObject json = ReplyDecoder::toJson(decoded);
    json.insert(QStringLiteral("request"), line);
    // At the terminal the request stands just above, as typed.
    QString text = interactive ? QString() : QStringLiteral(">> ") + line + QLatin1Char('\n');
    text += QString::fromUtf8(reply);
    if (!options.rawOnly)
        text += QStringLiteral("\n   ") +
                ReplyDecoder::describe(decoded).replace('\n', QStringLiteral("\n   "));
    print(json, text);
    return reply.isNull() ? failed() : Next::Continue;
}

// A request without its answer: the session goes on unless the agent has gone.
Session::Next Session::failed()
{
    ++failures;
    return agent->isConnected() ? Next::Continue : Next::Stop;
}
