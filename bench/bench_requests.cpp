// The request benchmark: the agent's cost per request against windows of 100, 1,000 and
// 10,000 widgets, beside the floor: a short line and its reply between a plain C client and
// server over loopback TCP (bench_floor), no Qt, no agent. Each host is a bench_host process;
// this driver listens on the agent's port and times every round trip with plain blocking
// socket calls, as the C client does, so the ratio to the floor holds what the host adds.
//
// Printed: one table with each figure, its ratio to the floor and to the same figure at 100
// widgets; agent time measured inside the host (no socket); the host's resident memory,
// before and after a long run of requests; wake-ups of an idle host; and the tree reply
// with and without the socket's low-delay option. Nothing here is a pass/fail budget: on a
// shared, noisy machine the figures are medians that report, not judge.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>

namespace {

const quint16 driverPort = 4242;

struct Stats
{
    double p50 = 0;
    double p95 = 0;
};

Stats stats(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 95 / 100]};
}

[[noreturn]] void fail(const QByteArray &what)
{
    std::fprintf(stderr, "bench_requests: %s\n", what.constData());
    std::exit(2);
}

// One host process and its connection, driven with blocking socket calls.
class Host
{
public:
    Host(QTcpServer &server, const QStringList &arguments)
    {
        const QString program = QCoreApplication::applicationDirPath() + "/bench_host";
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        if (!process.waitForStarted(10000))
            fail("cannot start bench_host");
        if (!server.waitForNewConnection(120000))
            fail("no host connected");
        socket = server.nextPendingConnection();
        // From here on the connection is read and written with blocking calls of its own;
        // the greeting is all the host sends before it is asked.
        while (!socket->canReadLine()) {
            if (!socket->waitForReadyRead(60000))
                fail("no greeting from host");
        }
        greeting = socket->readLine();
        greeting.chop(1);
        descriptor = int(socket->socketDescriptor());
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        // The host prints its request lines and in-process times before it connects.
        QByteArray out;
        while (process.waitForReadyRead(200) || process.bytesAvailable())
            out += process.readAllStandardOutput();
        for (const QByteArray &line : out.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts.at(0) == "agent-us")
                agentUs[parts.at(1)] = parts.at(2).toDouble();
            if (parts.size() >= 3 && parts.at(0) == "request")
                requests[parts.at(1)] = line.mid(parts.at(0).size() + parts.at(1).size() + 2);
        }
    }

    ~Host()
    {
        socket->disconnectFromHost();
        if (!process.waitForFinished(20000))
            process.kill();
        delete socket;
    }

    QByteArray readLine()
    {
        int end = pending.indexOf('\n');
        char chunk[65536];
        while (end < 0) {
            const ssize_t got = ::recv(descriptor, chunk, sizeof chunk, 0);
            if (got <= 0)
                fail("no reply from host");
            const int searched = pending.size();
            pending.append(chunk, int(got));
            end = pending.indexOf('\n', searched);
        }
        const QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        return line;
    }

    QByteArray request(const QByteArray &line)
    {
        const QByteArray bytes = line + '\n';
        for (int sent = 0; sent < bytes.size();) {
            const ssize_t done = ::send(descriptor, bytes.constData() + sent,
                                        size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (done <= 0)
                fail("host gone");
            sent += int(done);
        }
        return readLine();
    }

    std::vector<double> time(const QByteArray &line, const QByteArray &expectedPrefix, int rounds)
    {
        std::vector<double> times;
        QElapsedTimer timer;
        for (int i = 0; i < rounds; ++i) {
            timer.start();
            const QByteArray reply = request(line);
            times.push_back(timer.nsecsElapsed() / 1000.0);
            if (!reply.startsWith(expectedPrefix))
                fail(line + ": unexpected reply " + reply.left(80));
        }
        return times;
    }

    long residentKiB() const { return statusSum("VmRSS:", false); }
    long voluntarySwitches() const { return statusSum("voluntary_ctxt_switches:", true); }

    QProcess process;
    QTcpSocket *socket = nullptr;
    int descriptor = -1;
    QByteArray pending; // read past the last line
    QByteArray greeting;
    QMap<QByteArray, double> agentUs;
    QMap<QByteArray, QByteArray> requests;

private:
    // A field of /proc/<pid>/status, for the process or summed over all its threads.
    long statusSum(const QByteArray &field, bool allThreads) const
    {
        const QString proc = QStringLiteral("/proc/%1").arg(process.processId());
        QStringList files{proc + "/status"};
        if (allThreads) {
            files.clear();
            const QDir tasks(proc + "/task");
            for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                files << proc + "/task/" + task + "/status";
        }
        long sum = 0;
        for (const QString &name : files) {
            QFile status(name);
            if (!status.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith(field))
                    sum += line.mid(field.size()).trimmed().split(' ').first().toLong();
            }
        }
        return sum;
    }
};

// Wake-ups of a connected host that is left alone, per second.
double idleWakeupsPerSecond(const Host &host)
{
    const int ms = 3000;
    const long before = host.voluntarySwitches();
    QThread::msleep(ms);
    return (host.voluntarySwitches() - before) * 1000.0 / ms;
}

struct SizeRun
{
    int widgets = 0;
    double floor = 0;          // the C client and server, a short line
    double treeBytesFloor = 0; // the same, with a reply as long as the tree's
    double nestedTreeBytesFloor = 0;
    Stats echo; // a Qt socket that echoes, no agent
    Stats property;
    Stats tree;
    double treeBytes = 0;
    Stats nestedTree; // the same request on a window of frames, group boxes and layouts
    double nestedTreeBytes = 0;
    Stats windows;
    Stats click;
    QMap<QByteArray, double> agentUs;
    long residentKiB = 0;
    double idleWakeups = 0;
    double echoIdleWakeups = 0;
};

Stats echoRun(QTcpServer &server, double *idleWakeups)
{
    Host echo(server, {QStringLiteral("--echo")});
    echo.time("1", "0,ok", 200);
    const Stats floor = stats(echo.time("1", "0,ok", 1000));
    if (idleWakeups)
        *idleWakeups = idleWakeupsPerSecond(echo);
    return floor;
}

// The C floor (bench_floor): a short line, and replies as long as the two trees'. The
// lowest of five runs: a floor is what the machine can do, and a moment when other
// processes hold the processors (or a processor has to be woken) only raises it.
void cFloorRun(SizeRun &run)
{
    const auto lowest = [](double &kept, double value) {
        kept = kept > 0 ? std::min(kept, value) : value;
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        QProcess floor;
        floor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        floor.start(QCoreApplication::applicationDirPath() + "/bench_floor",
                    {QString::number(run.treeBytes), QString::number(run.nestedTreeBytes)});
        if (!floor.waitForFinished(120000) || floor.exitCode() != 0)
            fail("bench_floor failed");
        for (const QByteArray &line : floor.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts.at(1) == "short")
                lowest(run.floor, parts.at(2).toDouble());
            if (parts.size() == 4 && parts.at(2).toDouble() == run.treeBytes)
                lowest(run.treeBytesFloor, parts.at(3).toDouble());
            if (parts.size() == 4 && parts.at(2).toDouble() == run.nestedTreeBytes)
                lowest(run.nestedTreeBytesFloor, parts.at(3).toDouble());
        }
    }
}

SizeRun sizeRun(QTcpServer &server, int widgets)
{
    SizeRun run;
    run.widgets = widgets;
    run.echo = echoRun(server, widgets == 100 ? &run.echoIdleWakeups : nullptr);

    Host host(server, {QStringLiteral("--widgets"), QString::number(widgets),
                       QStringLiteral("--agent-time")});
    run.agentUs = host.agentUs;
    const QByteArray read = host.requests.value("read");
    const QByteArray click = host.requests.value("click");
    const QByteArray clickCount = host.requests.value("click-count");
    const QByteArray tree = host.requests.value("tree");

    host.time(read, "0,u:", 50);
    run.property = stats(host.time(read, "0,u:", 1000));
    run.tree = stats(host.time(tree, "0,l:", widgets >= 10000 ? 30 : 200));
    run.treeBytes = host.request(tree).size() + 1;
    {
        Host nested(server, {QStringLiteral("--widgets"), QString::number(widgets),
                             QStringLiteral("--shape"), QStringLiteral("nested"),
                             QStringLiteral("--agent-time")});
        const QByteArray nestedTree = nested.requests.value("tree");
        run.nestedTree = stats(nested.time(nestedTree, "0,l:", widgets >= 10000 ? 30 : 200));
        run.agentUs["tree-nested"] = nested.agentUs.value("tree");
        run.nestedTreeBytes = nested.request(nestedTree).size() + 1;
    }
    run.windows = stats(host.time("1", "0,l:", 1000));

    // A click is done when the application has counted it: the agent answers as soon as
    // the press and release are posted, so the count is read until it shows the click.
    // The in-process figures clicked the button already: counting goes on from there.
    const QByteArray counted = host.request(clickCount);
    if (!counted.startsWith("0,u:"))
        fail("click count not read");
    const int before = QByteArray::fromHex(counted.mid(4)).toInt();
    std::vector<double> clicks;
    QElapsedTimer timer;
    for (int i = 1; i <= 200; ++i) {
        const QByteArray expected = "0,u:" + QByteArray::number(before + i).toHex();
        timer.start();
        if (host.request(click) != "0,QPushButton")
            fail("click failed");
        while (host.request(clickCount) != expected) {
            if (timer.elapsed() > 10000)
                fail("click not counted");
        }
        clicks.push_back(timer.nsecsElapsed() / 1000.0);
    }
    run.click = stats(clicks);
    run.residentKiB = host.residentKiB();
    run.idleWakeups = idleWakeupsPerSecond(host);
    cFloorRun(run);
    return run;
}

// Resident memory of the 100-widget host over many property reads, strictly one request
// at a time as a driver sends them.
void memoryRun(QTcpServer &server, long requests)
{
    Host host(server, {QStringLiteral("--widgets"), QStringLiteral("100")});
    const QByteArray read = host.requests.value("read");
    const auto send = [&](long count) {
        for (long i = 0; i < count; ++i)
            host.request(read);
    };
    send(20000);
    const long before = host.residentKiB();
    QElapsedTimer timer;
    timer.start();
    std::printf("resident memory over %ld property reads (100 widgets): start %ld KiB, then",
                requests, before);
    const long step = std::max(1L, requests / 4);
    for (long done = 0; done < requests; done += step) {
        send(std::min(step, requests - done));
        std::printf(" %ld", host.residentKiB());
        std::fflush(stdout);
    }
    std::printf(" KiB (%.0f s)\n", timer.elapsed() / 1000.0);
}

// Tree replies of several TCP segments with and without the low-delay option on the
// agent's socket: a stall on delayed acknowledgements shows as tens of milliseconds.
void lowDelayRun(QTcpServer &server, int widgets, double withoutUs)
{
    Host host(server, {QStringLiteral("--widgets"), QString::number(widgets),
                       QStringLiteral("--low-delay")});
    const QByteArray tree = host.requests.value("tree");
    const Stats with = stats(host.time(tree, "0,l:", 30));
    std::printf("tree of %d widgets (%d bytes): p50 %.0f us without low-delay, %.0f us with\n",
                widgets, int(host.request(tree).size()), withoutUs, with.p50);
}

QByteArray cell(double value, double floor, double base, const char *unit = "us")
{
    QByteArray text = QByteArray::number(value, 'f', value < 100 ? 1 : 0) + ' ' + unit;
    if (floor > 0)
        text += "  " + QByteArray::number(value / floor, 'f', 1) + "F";
    if (base > 0)
        text += "  " + QByteArray::number(value / base, 'f', 1) + "x";
    return text;
}

// The table's rows: a figure at each size, with its ratio to the floor and to the first size.
class Table
{
public:
    explicit Table(const std::vector<SizeRun> &runs) : runs(runs)
    {
        // The lowest of the runs' floors, for the reason cFloorRun takes the lowest.
        for (const SizeRun &run : runs)
            floor = floor > 0 ? std::min(floor, run.floor) : run.floor;
    }

    template <typename Value>
    void row(const char *name, Value value, bool toFloor, bool toBase,
             const char *unit = "us") const
    {
        std::printf("%-34s", name);
        const double base = value(runs.front());
        for (const SizeRun &run : runs) {
            const bool first = &run == &runs.front();
            std::printf("  %-26s",
                        cell(value(run), toFloor ? floor : 0, toBase && !first ? base : 0, unit)
                            .constData());
        }
        std::printf("\n");
    }

    const std::vector<SizeRun> &runs;
    double floor = 0;
};

void printRoundTrips(const Table &table)
{
    const double floor = table.floor;
    std::printf("%-34s  %-26s\n", "floor: C line round trip p50", cell(floor, 0, 0).constData());
    table.row(
        "floor, each run p50", [](const SizeRun &r) { return r.floor; }, false, false);
    table.row(
        "Qt socket echo, no agent p50", [](const SizeRun &r) { return r.echo.p50; }, true, false);
    table.row(
        "property read p50", [](const SizeRun &r) { return r.property.p50; }, true, true);
    table.row(
        "property read p95", [](const SizeRun &r) { return r.property.p95; }, true, true);
    table.row(
        "click until counted p50", [](const SizeRun &r) { return r.click.p50; }, true, true);
    table.row(
        "whole tree (2) p50", [](const SizeRun &r) { return r.tree.p50; }, true, true);
    table.row(
        "  its reply", [](const SizeRun &r) { return r.treeBytes; }, false, true, "B");
    table.row(
        "  C floor for as many bytes", [](const SizeRun &r) { return r.treeBytesFloor; }, true,
        true);
    table.row(
        "whole tree (2), nested shape p50", [](const SizeRun &r) { return r.nestedTree.p50; }, true,
        true);
    table.row(
        "  its reply", [](const SizeRun &r) { return r.nestedTreeBytes; }, false, true, "B");
    table.row(
        "  C floor for as many bytes", [](const SizeRun &r) { return r.nestedTreeBytesFloor; },
        true, true);
    table.row(
        "window list (1) p50", [](const SizeRun &r) { return r.windows.p50; }, true, true);
}

void printAgentTimes(const Table &table)
{
    std::printf("agent time in process (no socket; CPU time of the GUI thread, so other\n"
                "processes on the machine do not count):\n");
    // The lookups also as the addressing rules are written ("reference"): one search of
    // the window per naming rule, and every widget of the application for the window.
    const QList<QByteArray> agentFigures{"lookup-path",
                                         "lookup-path-reference",
                                         "lookup-gap",
                                         "lookup-gap-reference",
                                         "lookup-made-up",
                                         "lookup-made-up-reference",
                                         "lookup-selector-below-name",
                                         "lookup-selector-whole-window",
                                         "widget-listing",
                                         "widget-listing-request",
                                         "property",
                                         "tree",
                                         "tree-reference",
                                         "tree-nested",
                                         "windows",
                                         "user-move",
                                         "user-move-recorded",
                                         "user-click",
                                         "user-click-recorded",
                                         "user-click-recorded-unnamed",
                                         "user-click-recorded-anonymous",
                                         "user-click-fetched-anonymous"};
    for (const QByteArray &figure : agentFigures) {
        table.row(
            QByteArray("  " + figure).constData(),
            [&](const SizeRun &r) { return r.agentUs.value(figure); }, true, true);
    }
}

void printTable(const std::vector<SizeRun> &runs)
{
    const Table table(runs);
    std::printf("%-34s", "figure");
    for (const SizeRun &run : runs)
        std::printf("  %-26s", QByteArray("N = " + QByteArray::number(run.widgets)).constData());
    std::printf("\n");
    printRoundTrips(table);
    printAgentTimes(table);
    table.row(
        "host resident memory", [](const SizeRun &r) { return double(r.residentKiB); }, false, true,
        "KiB");
    table.row(
        "idle host wake-ups per second", [](const SizeRun &r) { return r.idleWakeups; }, false,
        false, "/s");
    std::printf("idle wake-ups per second without agent (echo host): %.1f\n",
                runs.front().echoIdleWakeups);
    std::printf("F: ratio to the C floor's short line; x: ratio to the same figure at %d widgets\n",
                runs.front().widgets);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    long memoryRequests = 1000000;
    QList<int> sizes{100, 1000, 10000};
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == QLatin1String("--memory-requests"))
            memoryRequests = arguments.at(i + 1).toLong();
        else if (arguments.at(i) == QLatin1String("--sizes"))
            sizes.clear();
        if (arguments.at(i) == QLatin1String("--sizes")) {
            for (const QString &size : arguments.at(i + 1).split(QLatin1Char(',')))
                sizes << size.toInt();
        }
    }

    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, driverPort))
        fail("cannot listen on port 4242");

    std::vector<SizeRun> runs;
    for (int widgets : qAsConst(sizes)) {
        runs.push_back(sizeRun(server, widgets));
        std::fprintf(stderr, "measured %d widgets\n", widgets);
    }
    printTable(runs);
    lowDelayRun(server, sizes.last(), runs.back().tree.p50);
    if (memoryRequests > 0)
        memoryRun(server, memoryRequests);
    return 0;
}
