// The reasons that only a rare program would show the launcher for real: judged here from
// made-up memory maps and status lines.

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

} // namespace

class tst_AttachDiagnosis : public QObject
{
    Q_OBJECT

private slots:
    void reason_data();
    void reason();
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
    row("a Qt 6 program", mapped("/opt/qt6/lib/libQt6Core.so.6") + mapped("/usr/lib/libc.so.6"), "",
        false, "app is a Qt 6 application; the agent attaches to Qt 5 Widgets applications only");
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
    row("a program gone before its libraries were seen", "", "", true,
        "app ended before an agent connected; its error output says why; it exited with code 1");
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
    context.pluginQtCore = systemQt;
    context.pluginDir = "/build/plugins";
    context.exited = exited;
    context.exitStatus = 1;
    QCOMPARE(QString::fromStdString(attachFailureReason(seen, context)), reason);
}

TC_TEST_MAIN(tst_AttachDiagnosis)
#include "tst_attachdiagnosis.moc"
