// Round-trip cost of requests through the real socket, with the agent and the driver in
// one process, against a window of a realistic size; and the memory the agent holds after
// many requests. Each figure is checked against a budget.

#include "agentconnection.h"
#include "driverserver.h"
#include "idllinstance.h"
#include "plugin/loadinterface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

struct Figure
{
    const char *name;
    double medianUs;
    double p99Us;
    double budgetMedianUs;
};

Figure measure(AgentConnection *agent, const char *name, const QByteArray &request,
               const QByteArray &expectedPrefix, int rounds, double budgetMedianUs)
{
    std::vector<double> times;
    times.reserve(rounds);
    QElapsedTimer timer;
    for (int i = 0; i < rounds; ++i) {
        timer.start();
        const QByteArray reply = agent->request(request);
        times.push_back(timer.nsecsElapsed() / 1000.0);
        if (!reply.startsWith(expectedPrefix)) {
            std::fprintf(stderr, "%s: unexpected reply %s\n", name, reply.left(80).constData());
            std::exit(2);
        }
    }
    std::sort(times.begin(), times.end());
    return {name, times[times.size() / 2], times[times.size() * 99 / 100], budgetMedianUs};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // A window of 50 panels with 20 widgets each: larger than most real dialogs.
    QWidget window;
    window.setObjectName(QStringLiteral("main"));
    window.setWindowTitle(QStringLiteral("Bench"));
    auto *layout = new QVBoxLayout(&window);
    for (int p = 0; p < 50; ++p) {
        auto *panel = new QWidget;
        panel->setObjectName(QStringLiteral("panel%1").arg(p));
        auto *inner = new QVBoxLayout(panel);
        for (int w = 0; w < 20; ++w) {
            // Line edits are named; buttons are known by their made-up names only.
            if (w % 2) {
                auto *edit = new QLineEdit;
                edit->setObjectName(QStringLiteral("w%1").arg(w));
                inner->addWidget(edit);
            } else {
                inner->addWidget(new QPushButton(QStringLiteral("Button %1").arg(w)));
            }
        }
        layout->addWidget(panel);
    }
    window.show();

    DriverServer driver;
    if (!driver.listen()) {
        std::fprintf(stderr, "cannot listen on 4242\n");
        return 2;
    }
    IDllInstance *instance = ZuCreate(u"bench");
    AgentConnection *agent = driver.waitForAgent();
    if (!agent)
        return 2;

    const int rounds = 2000;
    std::vector<Figure> figures;
    figures.push_back(measure(agent, "unknown request", "13", "8,", rounds, 500));
    figures.push_back(measure(agent, "list windows", "1", "0,l:", rounds, 1000));
    figures.push_back(measure(agent, "check window", "8,Bench", "0,", rounds, 1000));
    figures.push_back(measure(agent, "property, path with gap", "7,Bench,panel42//w7,,text,",
                              "0,u:", rounds, 5000));
    figures.push_back(measure(agent, "property, made-up name",
                              "7,Bench,panel3/Button4_dialog_button,,text,", "0,u:", rounds,
                              10000));
    figures.push_back(measure(agent, "widget tree (1051 widgets)", "2,Bench", "0,l:", 200, 50000));
    // Synthetic input: a click, the clearing keys and ten typed characters, each flushed.
    figures.push_back(measure(agent, "enter 10 characters",
                              "6,Bench,panel7/w3,," + QByteArray("s:abcdefghij").toHex() + ",",
                              "0,QLineEdit", 200, 50000));

    // Memory: after warming up, many more requests must not make the agent grow.
    const long before = residentKiB();
    for (int i = 0; i < 20000; ++i)
        agent->request(i % 2 ? "7,Bench,panel1/w1,,text," : "5,Bench,nowhere,,,");
    const long after = residentKiB();
    const long growthBudgetKiB = 2048;

    bool ok = true;
    std::printf("%-34s %12s %12s %12s\n", "request", "median us", "p99 us", "budget us");
    for (const Figure &f : figures) {
        const bool within = f.medianUs <= f.budgetMedianUs;
        ok = ok && within;
        std::printf("%-34s %12.1f %12.1f %12.0f %s\n", f.name, f.medianUs, f.p99Us,
                    f.budgetMedianUs, within ? "" : "OVER BUDGET");
    }
    const bool memoryOk = after - before <= growthBudgetKiB;
    ok = ok && memoryOk;
    std::printf(
        "resident memory after 20000 more requests: %ld KiB -> %ld KiB (budget +%ld KiB) %s\n",
        before, after, growthBudgetKiB, memoryOk ? "" : "OVER BUDGET");

    ZuDestroy(instance);
    return ok ? 0 : 1;
}
