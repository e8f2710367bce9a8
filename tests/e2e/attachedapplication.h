#pragma once

// One unmodified program started by testclient-run (LAUNCHER, defined by the test's
// target), with its own driver on `port`. On a real X server the program shares the
// test's display; otherwise it runs in the launcher's headless mode.

#include "agentconnection.h"
#include "driverserver.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>

// The programs Debian 12 packages for these tests are Qt 5 programs: Qt's examples
// (qtbase5-examples; Qt 6 has no examples package there), SpeedCrunch, Qt 5's Designer and
// Linguist. An agent built against Qt 6 cannot load into them, so on such a build the tests
// that drive them skip, from initTestCase(), with this reason.
constexpr bool drivesQt5Programs = QT_VERSION_MAJOR == 5;
constexpr char qt5ProgramsOnly[] = "the programs this test drives are Qt 5 programs, and an "
                                   "agent built against Qt 6 cannot load into them";

struct AttachedApplication
{
    explicit AttachedApplication(quint16 port) : port(port) {}
    ~AttachedApplication() { stop(); }

    // `environment` is added to the program's environment; `arguments` follow the program.
    bool start(const QString &program, const QStringList &environment = QStringList(),
               const QStringList &arguments = QStringList())
    {
        if (!QFileInfo(program).isExecutable()) {
            error = program + " is missing: install qtbase5-examples (scripts/install-deps.sh)";
            return false;
        }
        if (!driver.listen(port)) {
            error = driver.errorString();
            return false;
        }
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : environment)
            variables.insert(variable.section(QLatin1Char('='), 0, 0),
                             variable.section(QLatin1Char('='), 1));
        launcher.setProcessEnvironment(variables);
        launcher.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        QStringList launcherArguments{QStringLiteral("--port"), QString::number(port)};
        launcherArguments << launcherOptions;
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            launcherArguments << QStringLiteral("--desktop");
        launcher.start(QStringLiteral(LAUNCHER),
                       launcherArguments << QStringLiteral("--") << program << arguments);
        agent = driver.waitForAgent(30000);
        if (!agent)
            error = "no agent connected: " + launcher.readAllStandardError();
        return agent;
    }

    // Ends the application the way a terminal would: the launcher passes the signal on.
    void stop()
    {
        if (launcher.state() == QProcess::NotRunning)
            return;
        launcher.terminate();
        if (!launcher.waitForFinished(10000))
            launcher.kill();
        launcher.waitForFinished();
    }

    QByteArray request(const QByteArray &line) { return agent->request(line); }

    quint16 port;
    QStringList launcherOptions; // given to testclient-run before the program
    DriverServer driver;
    QProcess launcher;
    AgentConnection *agent = nullptr;
    QString error;
};
