// The reasons that only a rare program would show the launcher for real: judged here from
// made-up memory maps and status lines (the common ones, a program without Qt and one that
// ends early, are tst_testclientrun's, end to end).

#include "attachdiagnosis.h"
#include "testmain.h"

namespace {

const char pluginFile[] = "libtestclientplugin.so";
const std::string systemQt = "/usr/lib/x86_64-linux-gnu/libQt5Core.so.5.15.8";

// One line of /proc/<pid>/maps for a library at `path`.
std::string mapped(const std::string &path)
{
    return "7f0000000000-7f0000001000 r-xp 00000000 08:01 1234   " + path + "\n";
}

std::string qt5(const char *module)
{
    return mapped(std::string("/usr/lib/x86_64-linux-gnu/libQt5") + module + ".so.5.15.8");
}

std::string qt6(const char *module)
{
    return mapped(std::string("/usr/lib/x86_64-linux-gnu/libQt6") + module + ".so.6.4.2");
}

// The launcher's plug-ins: Qt 5's in /build/plugins, Qt 6's in /build-qt6/plugins; `found` and
// `offered` list the major versions ("56") whose plug-in exists and was given to the program.
std::vector<AgentPlugin> plugins(const QString &found, const QString &offered)
{
    std::vector<AgentPlugin> plugins(2);
    plugins[0].qtMajor = 5;
    plugins[0].dir = "/build/plugins";
    plugins[0].qtCore = systemQt;
    plugins[1].qtMajor = 6;
    plugins[1].dir = "/build-qt6/plugins";
    for (AgentPlugin &plugin : plugins) {
        plugin.found = found.contains(QString::number(plugin.qtMajor));
        plugin.offered = offered.contains(QString::number(plugin.qtMajor));
    }
    return plugins;
}

} // namespace

class tst_AttachDiagnosis : public QObject
{
    Q_OBJECT

private slots:
    void reason_data();
    void reason();
    void reasonWithQt6_data();
    void reasonWithQt6();
    void missingPlugin();
};

void tst_AttachDiagnosis::reason_data()
{
    QTest::addColumn<QString>("maps");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("exited");
    QTest::addColumn<QString>("reason");

    const std::string widgets = qt5("Core") + qt5("Gui") + qt5("Widgets");
    const std::string platform = mapped("/usr/lib/x86_64-linux-gnu/qt5/plugins/platforms/"
                                        "libqoffscreen.so");
    const auto row = [](const char *tag, const std::string &maps, const char *status, bool exited,
                        const char *reason) {
        QTest::newRow(tag) << QString::fromStdString(maps) << status << exited << reason;
    };
    row("another Qt 5 build", mapped("/opt/qt5/lib/libQt5Core.so.5.12.0"), "", false,
        "app links another Qt build (/opt/qt5/lib/libQt5Core.so.5.12.0) than the agent plug-in "
        "(/usr/lib/x86_64-linux-gnu/libQt5Core.so.5.15.8)");
    row("Qt Core only", qt5("Core"), "", false,
        "app is not a Qt 5 Widgets application: it uses Qt 5 Core only");
    row("an application object that skipped the plug-in", widgets + platform, "", false,
        "app created its application object but did not load the agent plug-in from "
        "/build/plugins; run it with QT_DEBUG_PLUGINS=1 to see why");
    row("a plug-in that never spoke",
        widgets + platform + mapped("/build/plugins/generic/" + std::string(pluginFile)), "", false,
        "the agent plug-in was loaded into app but never reported; run it with "
        "QT_DEBUG_PLUGINS=1 to see why");
    row("an event loop that never ran", widgets, "loaded 5.15.8", true,
        "app created its application object but never ran its event loop; it exited with code 1");
    row("a driver that never answered", widgets, "created", false,
        "the agent in app got no answer from 127.0.0.1:4250 within 30 s");
    row("a platform that failed to start", widgets + platform, "", true,
        "app ended while it created its application object (no display?); its error output "
        "says why; it exited with code 1");
}

void tst_AttachDiagnosis::reason()
{
    QFETCH(QString, maps);
    QFETCH(QString, status);
    QFETCH(bool, exited);
    QFETCH(QString, reason);

    AttachObservation seen;
    if (!maps.isEmpty())
        seen.addMaps(maps.toStdString(), pluginFile);
    if (!status.isEmpty())
        seen.addStatus(status.toStdString());
    AttachContext context;
    context.program = "app";
    context.port = 4250;
    context.waitedSeconds = 30;
    context.plugins = plugins("5", "5");
    context.exited = exited;
    context.exitStatus = 1;
    QCOMPARE(QString::fromStdString(attachFailureReason(seen, context)), reason);
}

// A launcher that knows a Qt 6 plug-in too: the reasons name the Qt the program runs, and the
// folder of the plug-in built for it.
void tst_AttachDiagnosis::reasonWithQt6_data()
{
    QTest::addColumn<QString>("maps");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("reason");

    const std::string platform = mapped("/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/"
                                        "libqoffscreen.so");
    const auto row = [](const char *tag, const std::string &maps, const char *status,
                        const char *found, const char *offered, const char *reason) {
        QTest::newRow(tag) << QString::fromStdString(maps) << status << found << offered << reason;
    };
    row("a script offered both that ran no Qt", mapped("/usr/bin/dash"), "", "56", "56",
        "app is not a Qt 5 or 6 Widgets application: it loaded no Qt 5 or 6 library (a "
        "statically linked Qt cannot load the agent either)");
    row("Qt 6 Core and Gui only", qt6("Core") + qt6("Gui") + qt5("Widgets"), "", "56", "6",
        "app is not a Qt 6 Widgets application: it uses Qt 6 Core and Gui only");
    row("a Qt 6 application object that skipped the plug-in",
        qt6("Core") + qt6("Gui") + qt6("Widgets") + platform, "", "56", "6",
        "app created its application object but did not load the agent plug-in from "
        "/build-qt6/plugins; run it with QT_DEBUG_PLUGINS=1 to see why");
    row("a QGuiApplication named by the plug-in's status alone", "", "not-widgets", "56", "56",
        "app is not a Qt 5 or 6 Widgets application: its application object is a "
        "QGuiApplication, not a QApplication");
    row("a QGuiApplication in the Qt the plug-in reported", "", "loaded 6.4.2\nnot-widgets", "56",
        "56",
        "app is not a Qt 6 Widgets application: its application object is a QGuiApplication, "
        "not a QApplication");
    row("a Qt 6 program that is no Qt 5 build's concern", qt6("Core") + qt5("Core"), "", "5", "5",
        "app is a Qt 6 program and no agent plug-in built for Qt 6 was found (looked in "
        "/build-qt6/plugins): build it with make build QT=6");
    row("a Qt 5 program started by a Qt 6 one", qt6("Core") + qt6("Widgets"), "", "56", "5",
        "app runs Qt 6 (/usr/lib/x86_64-linux-gnu/libQt6Core.so.6.4.2) that its executable does "
        "not link, and was offered the agent for Qt 5 only; start the Qt 6 program with "
        "testclient-run");
}

void tst_AttachDiagnosis::reasonWithQt6()
{
    QFETCH(QString, maps);
    QFETCH(QString, status);
    QFETCH(QString, found);
    QFETCH(QString, offered);
    QFETCH(QString, reason);

    AttachObservation seen;
    if (!maps.isEmpty())
        seen.addMaps(maps.toStdString(), pluginFile);
    for (const QString &line : status.split('\n', Qt::SkipEmptyParts))
        seen.addStatus(line.toStdString());
    AttachContext context;
    context.program = "app";
    context.waitedSeconds = 30;
    context.plugins = plugins(found, offered);
    QCOMPARE(QString::fromStdString(attachFailureReason(seen, context)), reason);
}

// Said before the program starts, and for the Qt the launcher knows no plug-in of at all.
void tst_AttachDiagnosis::missingPlugin()
{
    AttachContext context;
    context.plugins = plugins("6", "");
    QCOMPARE(QString::fromStdString(missingPluginReason("calc", 5, context)),
             "calc is a Qt 5 program and no agent plug-in built for Qt 5 was found (looked in "
             "/build/plugins): build it with make build");
    QCOMPARE(QString::fromStdString(missingPluginReason("calc", 4, context)),
             "calc is a Qt 4 program; the agent plug-in is built for Qt 5 and 6 only");
}

TC_TEST_MAIN(tst_AttachDiagnosis)
#include "tst_attachdiagnosis.moc"
