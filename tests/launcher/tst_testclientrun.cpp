// testclient-run as a user meets it: what it says when no agent connects, its exit
// status, and a private X server.

#include "agentconnection.h"
#include "driverserver.h"
#include "testmain.h"

#include <QFileInfo>
#include <QProcess>

#include <csignal>

namespace {

// A port nothing listens on, and one for this test's own driver.
const quint16 silentPort = 4291;
const quint16 driverPort = 4292;

QString example(const char *path)
{
    return QStringLiteral(QT_EXAMPLES_DIR "/") + QLatin1String(path);
}

} // namespace

class tst_TestClientRun : public QObject
{
    Q_OBJECT

private slots:
    void explainsWhyNoAgentConnected_data();
    void explainsWhyNoAgentConnected();
    void attachesOnAPrivateXServer();
};

void tst_TestClientRun::explainsWhyNoAgentConnected_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("exitCode");

    const QString prefix = "testclient-run: no agent connected: ";
    const int ended = 128 + SIGTERM;
    const QString sleep = QStringLiteral("/bin/sleep");
    QTest::newRow("a program without Qt is ended after the time-out")
        << QStringList{sleep, "60"}
        << prefix + sleep +
               " is not a Qt 5 Widgets application: it loaded no Qt 5 library (a "
               "statically linked Qt cannot load the agent either)"
        << ended;
    const QString raster = example("gui/rasterwindow/rasterwindow");
    QTest::newRow("a Qt GUI program without widgets")
        << QStringList{raster}
        << prefix + raster +
               " is not a Qt 5 Widgets application: its application object is a "
               "QGuiApplication, not a QApplication"
        << ended;
    QTest::newRow("a Widgets program that never creates its application object")
        << QStringList{NEVER_APPLICATION}
        << prefix + NEVER_APPLICATION +
               " never created its application object (QApplication) within 2 s"
        << ended;
    const QString gallery = example("widgets/gallery/gallery");
    QTest::newRow("no driver listens")
        << QStringList{gallery}
        << prefix + "no driver accepted the agent's connection to 127.0.0.1:4291 (Connection "
                    "refused); start the driver on port 4291 before the program"
        << ended;
    QTest::newRow("a program that ends early: its exit code is the launcher's")
        << QStringList{"/bin/sh", "-c", "exit 3"}
        << prefix + "/bin/sh ended before an agent connected; its error output says why; it "
                    "exited with code 3"
        << 3;
    QTest::newRow("a program that is not there")
        << QStringList{"/no/such/program"}
        << "testclient-run: cannot run /no/such/program: No such file or directory" << 127;
}

void tst_TestClientRun::explainsWhyNoAgentConnected()
{
    QFETCH(QStringList, command);
    QFETCH(QString, reason);
    QFETCH(int, exitCode);
    if (!QFileInfo(command.first()).exists() && !command.first().startsWith("/no/"))
        QSKIP("missing program: install qtbase5-examples (scripts/install-deps.sh)");

    QProcess launcher;
    launcher.start(QStringLiteral(LAUNCHER),
                   QStringList{"--port", QString::number(silentPort), "--timeout", "2", "--"} +
                       command);
    QVERIFY(launcher.waitForFinished(30000));
    // The reason is the launcher's last line, whatever the program wrote before it.
    const QList<QByteArray> lines = launcher.readAllStandardError().trimmed().split('\n');
    QCOMPARE(QString::fromUtf8(lines.last()), reason);
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), exitCode);
}

void tst_TestClientRun::attachesOnAPrivateXServer()
{
    const QString gallery = example("widgets/gallery/gallery");
    if (!QFileInfo(gallery).exists())
        QSKIP("missing program: install qtbase5-examples (scripts/install-deps.sh)");
    DriverServer driver;
    QVERIFY(driver.listen(driverPort));
    QProcess launcher;
    launcher.start(QStringLiteral(LAUNCHER),
                   {"--port", QString::number(driverPort), "--xvfb", "--", gallery});
    AgentConnection *agent = driver.waitForAgent(30000);
    QVERIFY2(agent, launcher.readAllStandardError().constData());
    QTRY_COMPARE(agent->request("8,Widget Gallery").left(2), QByteArray("0,"));
    QCOMPARE(agent->request("6,Widget,lineEdit,," + QByteArray("s:on X").toHex() + ","),
             QByteArray("0,QLineEdit"));
    QTRY_COMPARE(agent->request("7,Widget,lineEdit,,text,"), "0,u:" + QByteArray("on X").toHex());

    launcher.terminate();
    QVERIFY(launcher.waitForFinished(10000));
    QCOMPARE(launcher.exitCode(), 128 + SIGTERM);
}

TC_TEST_MAIN(tst_TestClientRun)
#include "tst_testclientrun.moc"
