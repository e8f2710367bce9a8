// testclient-run as a user meets it: what it says when no agent connects, its exit
// status, and a private X server.

#include "agentconnection.h"
#include "driverserver.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

// A port nothing listens on, and one for this test's own driver.
const quint16 silentPort = 4291;
const quint16 driverPort = 4292;

QString example(const char *path)
{
    return QStringLiteral(QT_EXAMPLES_DIR "/") + QLatin1String(path);
}

// The Qt major version this build's plug-in is not for, and a Qt Widgets program of it.
const int otherQtMajor = QT_VERSION_MAJOR == 5 ? 6 : 5;
const QString otherQtProgram = otherQtMajor == 6
                                   ? QStringLiteral("/usr/lib/qt6/bin/designer")
                                   : QStringLiteral("/usr/lib/x86_64-linux-gnu/qt5/bin/designer");
const QString otherQtPluginsVariable = QStringLiteral("TESTCLIENT_QT%1_PLUGINS").arg(otherQtMajor);

// The launcher's own plug-ins, beside it.
QString ownPluginDir()
{
    return QFileInfo(QFileInfo(LAUNCHER).path() + "/../plugins").canonicalFilePath();
}

// Runs the launcher; the environment names `otherPlugins` as the other Qt's plugins folder,
// so that whatever the other build holds does not matter.
void runLauncher(QProcess *launcher, const QStringList &arguments, const QString &otherPlugins,
                 const QProcessEnvironment &extra = QProcessEnvironment())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(otherQtPluginsVariable, otherPlugins);
    environment.insert(extra);
    launcher->setProcessEnvironment(environment);
    launcher->start(QStringLiteral(LAUNCHER), arguments);
}

// Qt's examples on Debian 12 are Qt 5 programs (qtbase5-examples): an agent built against
// Qt 6 cannot load into them. Returns why a row that starts one cannot run, or nothing.
QString whyExampleCannotRun(const QString &program)
{
    if (!program.startsWith(QLatin1String(QT_EXAMPLES_DIR)))
        return QString();
    if (QT_VERSION_MAJOR != 5)
        return "Qt's examples are Qt 5 programs, and an agent built against Qt 6 cannot load "
               "into them";
    if (!QFileInfo(program).exists())
        return "missing program: install qtbase5-examples (scripts/install-deps.sh)";
    return QString();
}

} // namespace

class tst_TestClientRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void explainsWhyNoAgentConnected_data();
    void explainsWhyNoAgentConnected();
    void offersThePluginBuiltForTheProgramsQt_data();
    void offersThePluginBuiltForTheProgramsQt();
    void attachesOnAPrivateXServer();
    void findsThePluginsOfTheTreeItIsInstalledIn();

private:
    // Plugins folders for the other Qt: one without the agent, one with a stand-in file.
    QTemporaryDir noOtherPlugin;
    QTemporaryDir otherPlugin;
};

void tst_TestClientRun::initTestCase()
{
    QVERIFY(noOtherPlugin.isValid() && otherPlugin.isValid());
    // Qt's loader finds the file and refuses it as no valid plug-in: enough to see where
    // the program looked.
    QVERIFY(QDir(otherPlugin.path()).mkpath("generic"));
    QFile standIn(otherPlugin.filePath("generic/" PLUGIN_FILE));
    QVERIFY(standIn.open(QIODevice::WriteOnly));
}

void tst_TestClientRun::explainsWhyNoAgentConnected_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("exitCode");

    const QString prefix = "testclient-run: no agent connected: ";
    const int ended = 128 + SIGTERM;
    const QString sleep = QStringLiteral("/bin/sleep");
    // Only this build's plug-in is offered, so the reasons name this build's Qt.
    const QString qt = QStringLiteral("Qt %1").arg(QT_VERSION_MAJOR);
    QTest::newRow("a program without Qt is ended after the time-out")
        << QStringList{sleep, "60"}
        << prefix + sleep + " is not a " + qt + " Widgets application: it loaded no " + qt +
               " library (a statically linked Qt cannot load the agent either)"
        << ended;
    const QString raster = example("gui/rasterwindow/rasterwindow");
    QTest::newRow("a Qt GUI program without widgets")
        << QStringList{raster}
        << prefix + raster + " is not a " + qt +
               " Widgets application: its application object is a QGuiApplication, not a "
               "QApplication"
        << ended;
    QTest::newRow("a Widgets program that never creates its application object")
        << QStringList{NEVER_APPLICATION}
        << prefix + NEVER_APPLICATION +
               " never created its application object (QApplication) within 2 s"
        << ended;
    // Any Widgets program of the agent's Qt: a Qt 6 build has its own input host only.
    const QString widgets =
        QT_VERSION_MAJOR == 5 ? example("widgets/gallery/gallery") : QString(INPUT_HOST);
    QTest::newRow("no driver listens")
        << QStringList{widgets}
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
    // Told at once, without starting the program: it could not load this build's plug-in.
    const QString hint = otherQtMajor == 6 ? "make build QT=6" : "make build";
    QTest::newRow("a program of the other Qt without its plug-in")
        << QStringList{otherQtProgram}
        << prefix + otherQtProgram +
               QString(" is a Qt %1 program and no agent plug-in built for Qt %1 was found "
                       "(looked in %2): build it with %3")
                   .arg(otherQtMajor)
                   .arg(QFileInfo(noOtherPlugin.path()).canonicalFilePath(), hint)
        << 125;
}

void tst_TestClientRun::explainsWhyNoAgentConnected()
{
    QFETCH(QStringList, command);
    QFETCH(QString, reason);
    QFETCH(int, exitCode);
    const QString cannotRun = whyExampleCannotRun(command.first());
    if (!cannotRun.isEmpty())
        QSKIP(qPrintable(cannotRun));
    if (!QFileInfo(command.first()).exists() && !command.first().startsWith("/no/"))
        QSKIP(qPrintable("missing program " + command.first() +
                         ": install it (scripts/install-deps.sh)"));

    QProcess launcher;
    runLauncher(&launcher,
                QStringList{"--port", QString::number(silentPort), "--timeout", "2", "--"} +
                    command,
                noOtherPlugin.path());
    QVERIFY(launcher.waitForFinished(30000));
    // The reason is the launcher's last line, whatever the program wrote before it.
    const QList<QByteArray> lines = launcher.readAllStandardError().trimmed().split('\n');
    QCOMPARE(QString::fromUtf8(lines.last()), reason);
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), exitCode);
}

void tst_TestClientRun::offersThePluginBuiltForTheProgramsQt_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("otherQt");

    QTest::newRow("a program of this build's Qt") << example("widgets/gallery/gallery") << false;
    QTest::newRow("a program of the other Qt") << otherQtProgram << true;
}

// Where the program looks for plug-ins (QT_DEBUG_PLUGINS) shows which folder it was given:
// the one built for its Qt only, though both exist.
void tst_TestClientRun::offersThePluginBuiltForTheProgramsQt()
{
    QFETCH(QString, program);
    QFETCH(bool, otherQt);
    if (!QFileInfo(program).exists())
        QSKIP(qPrintable("missing program " + program + ": install it (scripts/install-deps.sh)"));

    const QString otherDir = QFileInfo(otherPlugin.path()).canonicalFilePath();
    const QString offered = otherQt ? otherDir : ownPluginDir();
    const QString notOffered = otherQt ? ownPluginDir() : otherDir;
    QProcessEnvironment debug;
    debug.insert("QT_DEBUG_PLUGINS", "1");
    QProcess launcher;
    runLauncher(&launcher, {"--port", QString::number(silentPort), "--timeout", "5", "--", program},
                otherPlugin.path(), debug);
    QVERIFY(launcher.waitForFinished(60000));
    const QString output = QString::fromUtf8(launcher.readAllStandardError());
    QVERIFY2(output.contains('"' + offered + "/generic\""), qPrintable(output));
    QVERIFY2(!output.contains(notOffered + "/generic"), qPrintable(output));
    if (otherQt) {
        QCOMPARE(output.trimmed().split('\n').last(),
                 "testclient-run: no agent connected: " + program +
                     " created its application object but did not load the agent plug-in from " +
                     otherDir + "; run it with QT_DEBUG_PLUGINS=1 to see why");
    }
}

void tst_TestClientRun::attachesOnAPrivateXServer()
{
    const QString gallery = example("widgets/gallery/gallery");
    const QString cannotRun = whyExampleCannotRun(gallery);
    if (!cannotRun.isEmpty())
        QSKIP(qPrintable(cannotRun));
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

// Installed (cmake --install, the packages), the launcher has each Qt's plug-in in
// lib/testclient/qtN/plugins beside its bin/, wherever the tree was copied, and names the
// package that is missing.
void tst_TestClientRun::findsThePluginsOfTheTreeItIsInstalledIn()
{
    QTemporaryDir tree;
    const QString ownPlugins =
        tree.path() + QString("/lib/testclient/qt%1/plugins").arg(QT_VERSION_MAJOR);
    QVERIFY(QDir().mkpath(tree.path() + "/bin") && QDir().mkpath(ownPlugins + "/generic"));
    QVERIFY(QFile::copy(LAUNCHER, tree.path() + "/bin/testclient-run"));
    QVERIFY(QFile::copy(ownPluginDir() + "/generic/" PLUGIN_FILE,
                        ownPlugins + "/generic/" PLUGIN_FILE));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("TESTCLIENT_QT5_PLUGINS");
    environment.remove("TESTCLIENT_QT6_PLUGINS");
    environment.insert("QT_DEBUG_PLUGINS", "1");

    QProcess launcher;
    launcher.setProcessEnvironment(environment);
    launcher.start(tree.path() + "/bin/testclient-run",
                   {"--port", QString::number(silentPort), "--timeout", "5", "--", INPUT_HOST});
    QVERIFY(launcher.waitForFinished(60000));
    const QString output = QString::fromUtf8(launcher.readAllStandardError());
    QVERIFY2(output.contains('"' + ownPlugins + "/generic\""), qPrintable(output));
    QVERIFY2(output.trimmed().split('\n').last().contains("no driver accepted"),
             qPrintable(output));

    if (!QFileInfo(otherQtProgram).exists())
        return;
    launcher.start(tree.path() + "/bin/testclient-run", {"--", otherQtProgram});
    QVERIFY(launcher.waitForFinished(30000));
    QCOMPARE(launcher.exitCode(), 125);
    QCOMPARE(
        QString::fromUtf8(launcher.readAllStandardError().trimmed()),
        QString("testclient-run: no agent connected: %1 is a Qt %2 program and no agent "
                "plug-in built for Qt %2 was found (looked in %3/lib/testclient/qt%2/plugins): "
                "install the package testclient-qt%2 (or cmake --install a build made for "
                "Qt %2)")
            .arg(otherQtProgram)
            .arg(otherQtMajor)
            .arg(tree.path()));
}

TC_TEST_MAIN(tst_TestClientRun)
#include "tst_testclientrun.moc"
