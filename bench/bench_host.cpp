// bench_host: the application under test of the benchmark. One window of exactly N
// generated widgets (--widgets N) with the agent loaded, or, with --echo, a process that
// answers every line with one short line over the same Qt socket machinery and no agent
// at all: the floor that no request can beat.
//
// It prints the request lines the driver is to send, one "request <figure> <line>" each.
// With --agent-time the host first times the agent's own work in process (no socket) and
// prints one "agent-us <figure> <p50>" line per figure on stdout before it connects.

#include "benchwindow.h"
#include "proxies/proxytable.h"

#include "addressing/objectnameindex.h"
#include "addressing/referenceresolution.h"
#include "addressing/widgetaddressing.h"
#include "addressing/widgetcatalog.h"
#include "dispatch/requestdispatcher.h"
#include "idllinstance.h"
#include "plugin/loadinterface.h"
#include "connection/testclient.h"
#include "plugin/testclienttarnwrapper.h"
#include "proxies/framework/stapplicationproxy.h"
#include "recording/sessionrecorder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QHostAddress>
#include <QFrame>
#include <QPushButton>
#include <QTcpSocket>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double threadCpuUs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// Median of `rounds` timed calls, in microseconds of this thread's CPU time: on a shared
// machine the wall clock also counts the time other processes held the CPU. Never inlined,
// so that a profiler can count just these calls (valgrind --toggle-collect=*medianUs*).
Q_NEVER_INLINE double medianUs(int rounds, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(rounds);
    for (int i = 0; i < rounds; ++i) {
        const double start = threadCpuUs();
        work();
        times.push_back(threadCpuUs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// With `only` set, just that figure (one run under a profiler per figure).
void printAgentTimes(const BenchWindow &window, int rounds, const QString &only)
{
    // The index the agent keeps, made here as the agent makes it: after the window.
    std::unique_ptr<ObjectNameIndex> index;
    if (ObjectNameIndex::wanted())
        index.reset(new ObjectNameIndex);
    STApplicationProxy registry{agentProxyTable()};
    RequestDispatcher dispatcher(&registry, -1);
    const auto report = [&](const char *figure, int n, const std::function<void()> &work) {
        if (only.isEmpty() || only == QLatin1String(figure))
            std::printf("agent-us %s %.2f\n", figure, medianUs(n, work));
    };
    const auto dispatchTime = [&](const char *figure, const QString &request, int n) {
        report(figure, n, [&] { dispatcher.dispatch(request); });
    };
    // Each lookup also the straightforward way the addressing rules are written, which is
    // how every request resolved before the one-walk form.
    ResolveVariant variant;
    variant.activePopupElement = true;
    const auto lookupTime = [&](const char *figure, const char *referenceFigure,
                                const QString &path) {
        report(figure, rounds,
               [&] { WidgetAddressing::resolveWidget(window.title(), path, variant); });
        report(referenceFigure, rounds,
               [&] { WidgetAddressing::Reference::resolveWidget(window.title(), path, variant); });
    };
    lookupTime("lookup-path", "lookup-path-reference", window.readPath());
    lookupTime("lookup-gap", "lookup-gap-reference", window.gapPath());
    lookupTime("lookup-made-up", "lookup-made-up-reference", window.madeUpPath());
    // Selectors (the extended mode): below a named panel the walk reads that panel only;
    // a selector that starts the path walks the whole window.
    ResolveVariant selectors = variant;
    selectors.selectors = true;
    report("lookup-selector-below-name", rounds, [&] {
        WidgetAddressing::resolveWidget(window.title(), window.selectorPath(), selectors);
    });
    report("lookup-selector-whole-window", std::max(20, rounds / 10), [&] {
        WidgetAddressing::resolveWidget(window.title(), QStringLiteral("{QPushButton text=Click}"),
                                        selectors);
    });
    report("widget-listing", std::max(5, rounds / 100), [&] {
        (void)WidgetCatalog::widgets(const_cast<BenchWindow *>(&window), window.title());
    });
    // The whole listing request, its reply (geometry, states, JSON) included.
    STApplicationProxy extendedRegistry{agentProxyTable(), WireText::Mode::Extended};
    RequestDispatcher extended(&extendedRegistry, -1);
    report("widget-listing-request", std::max(5, rounds / 100),
           [&] { extended.dispatch(QStringLiteral("21,") + window.title()); });
    dispatchTime("property", window.readRequest(), rounds);
    const int treeRounds = std::max(20, rounds / 10);
    dispatchTime("tree", QStringLiteral("2,") + window.title(), treeRounds);
    report("tree-reference", treeRounds, [&] {
        QString text;
        QTextStream out(&text);
        WidgetAddressing::Reference::widgetTree(&window, 0, out);
        out.flush();
        (void)text.toUtf8();
    });
    dispatchTime("windows", QStringLiteral("1"), rounds);

    // A person's input as the window system delivers it (spontaneous events), without and
    // with the recorder watching: a mouse move it only looks at, and a click on a button
    // that it turns into a step with the button's address.
    const auto *button = window.findChild<QPushButton *>(QStringLiteral("clickTarget"));
    QWindow *handle = window.windowHandle();
    if (button && handle) {
        using Delivery = QWindowSystemInterface::SynchronousDelivery;
        const auto move = [&] {
            const QPoint centre = button->rect().center();
            QWindowSystemInterface::handleMouseEvent<Delivery>(
                handle, button->mapTo(&window, centre), button->mapToGlobal(centre), Qt::NoButton,
                Qt::NoButton, QEvent::MouseMove);
        };
        const auto clickAt = [&](const QWidget *target) {
            const QPoint centre = target->rect().center();
            const QPointF at = target->mapTo(&window, centre);
            const QPointF atGlobal = target->mapToGlobal(centre);
            QWindowSystemInterface::handleMouseEvent<Delivery>(
                handle, at, atGlobal, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
            QWindowSystemInterface::handleMouseEvent<Delivery>(
                handle, at, atGlobal, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        };
        const auto click = [&] { clickAt(button); };
        // The controls pile up: the one clicked is raised above the others, with its panel.
        const auto onTop = [&window](QWidget *widget) {
            for (; widget && widget != &window; widget = widget->parentWidget())
                widget->raise();
        };
        // An unnamed button whose text many share, whose address is a path of names, and a
        // frame without any name, whose address is a selector that counts the window.
        QWidget *cancel = nullptr;
        QWidget *frame = nullptr;
        for (QPushButton *candidate : window.findChildren<QPushButton *>()) {
            if (candidate->text() == QLatin1String("Cancel"))
                cancel = candidate;
        }
        if (cancel)
            frame =
                cancel->parentWidget()->findChild<QFrame *>(QString(), Qt::FindDirectChildrenOnly);
        const int clickRounds = std::max(20, rounds / 10);
        report("user-move", rounds, move);
        report("user-click", clickRounds, click);
        const AgentRequests requests;
        SessionRecorder recorder(requests);
        recorder.start();
        report("user-move-recorded", rounds, move);
        report("user-click-recorded", clickRounds, click);
        if (cancel && frame) {
            onTop(cancel);
            report("user-click-recorded-unnamed", clickRounds, [&] { clickAt(cancel); });
            onTop(frame);
            report("user-click-recorded-anonymous", clickRounds, [&] { clickAt(frame); });
            // The address is decided when the steps are fetched (or the window closes): a
            // fetch after each click pays it there, once per step.
            (void)recorder.steps();
            report("user-click-fetched-anonymous", std::max(5, clickRounds / 10), [&] {
                clickAt(frame);
                (void)recorder.steps();
            });
        }
        recorder.stop();
    }
    std::fflush(stdout);
}

// The floor: read a line, answer a short line, as cheaply as Qt's socket allows.
void runEcho(QTcpSocket &socket)
{
    QObject::connect(&socket, &QTcpSocket::connected, [&socket] {
        socket.write("+echo+\n");
        socket.flush();
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&socket] {
        while (socket.canReadLine()) {
            socket.readLine();
            socket.write("0,ok\n");
            socket.flush();
        }
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, qApp, &QApplication::quit);
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), TestClient::driverPort);
}

// The whole tree of the nested window, in process.
void printNestedTimes(const NestedBenchWindow &window)
{
    STApplicationProxy registry{agentProxyTable()};
    RequestDispatcher dispatcher(&registry, -1);
    const QString request = QStringLiteral("2,") + window.title();
    std::printf("agent-us tree %.2f\n", medianUs(30, [&] { dispatcher.dispatch(request); }));
    std::fflush(stdout);
}

// Creates the agent the way a host does and serves its driver until it goes.
int runAgent(QApplication &app, bool lowDelay)
{
    IDllInstance *instance = ZuCreate(u"bench");
    auto *client = instance ? static_cast<TestClientTarnWrapper *>(instance)->client : nullptr;
    if (!client)
        return 2;
    if (lowDelay) {
        QObject::connect(client, &QTcpSocket::connected, client,
                         [client] { client->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    }
    QObject::connect(client, &QTcpSocket::disconnected, &app, &QApplication::quit);
    const int result = app.exec();
    ZuDestroy(instance);
    return result;
}

// The offscreen platform cannot raise windows; the click request asks it to every time.
QtMessageHandler previousHandler = nullptr;

void quietRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("does not support raise()")))
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(quietRaise);

    QCommandLineParser parser;
    const QCommandLineOption widgetsOption(QStringLiteral("widgets"),
                                           QStringLiteral("Widgets in the window."),
                                           QStringLiteral("n"), QStringLiteral("100"));
    const QCommandLineOption echoOption(QStringLiteral("echo"),
                                        QStringLiteral("Answer lines without an agent."));
    const QCommandLineOption agentTimeOption(QStringLiteral("agent-time"),
                                             QStringLiteral("Print in-process agent times."));
    const QCommandLineOption lowDelayOption(
        QStringLiteral("low-delay"), QStringLiteral("Set TCP_NODELAY on the agent's socket."));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds of each in-process figure."),
                                          QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption onlyOption(QStringLiteral("only"),
                                        QStringLiteral("Time only this in-process figure."),
                                        QStringLiteral("figure"));
    const QCommandLineOption quitOption(QStringLiteral("quit"),
                                        QStringLiteral("Quit after the in-process figures "
                                                       "(for profilers)."));
    const QCommandLineOption shapeOption(
        QStringLiteral("shape"),
        QStringLiteral("The window's shape: flat (panels of controls, the default) or nested "
                       "(frames, group boxes and inner frames with layouts)."),
        QStringLiteral("shape"), QStringLiteral("flat"));
    parser.addOptions({widgetsOption, echoOption, agentTimeOption, lowDelayOption, roundsOption,
                       onlyOption, quitOption, shapeOption});
    parser.process(app);

    QTcpSocket echoSocket;
    if (parser.isSet(echoOption)) {
        runEcho(echoSocket);
        return app.exec();
    }

    if (parser.value(shapeOption) == QLatin1String("nested")) {
        NestedBenchWindow nested(parser.value(widgetsOption).toInt());
        nested.show();
        std::printf("request tree 2,%s\n", qPrintable(nested.title()));
        std::fflush(stdout);
        if (parser.isSet(agentTimeOption))
            printNestedTimes(nested);
        return parser.isSet(quitOption) ? 0 : runAgent(app, parser.isSet(lowDelayOption));
    }

    BenchWindow window(parser.value(widgetsOption).toInt());
    window.show();
    std::printf("request read %s\nrequest click %s\nrequest click-count %s\nrequest tree 2,%s\n",
                qPrintable(window.readRequest()), qPrintable(window.clickRequest()),
                qPrintable(window.clickCountRequest()), qPrintable(window.title()));
    std::fflush(stdout);
    if (parser.isSet(agentTimeOption)) {
        int rounds = parser.value(roundsOption).toInt();
        if (rounds <= 0)
            rounds = window.widgetCount() >= 10000 ? 200 : 1000;
        printAgentTimes(window, rounds, parser.value(onlyOption));
    }
    if (parser.isSet(quitOption))
        return 0;
    return runAgent(app, parser.isSet(lowDelayOption));
}
