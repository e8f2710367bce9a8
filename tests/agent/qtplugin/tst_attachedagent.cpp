#include "agentconnection.h"
#include "driverserver.h"
#include "qtplugin/attachedagent.h"
#include "qtplugin/attachstatus.h"
#include "testmain.h"

#include <QSignalSpy>

#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The driver listens on 4293; nothing listens on 4294.
const quint16 driverPort = 4293;

// The launcher's end of the status socket: what the plug-in reported, line by line.
class StatusReader
{
public:
    StatusReader()
    {
        ::socketpair(AF_UNIX, SOCK_STREAM, 0, ends);
        qputenv(AttachStatus::environmentVariable, QByteArray::number(ends[1]));
    }
    ~StatusReader() { ::close(ends[0]); }

    // Takes what has arrived; true once the plug-in closed its end.
    bool readAvailable()
    {
        char bytes[256];
        ssize_t got;
        while ((got = ::recv(ends[0], bytes, sizeof bytes, MSG_DONTWAIT)) > 0)
            text.append(bytes, int(got));
        return got == 0;
    }

    int ends[2] = {-1, -1};
    QByteArray text;
};

} // namespace

class tst_AttachedAgent : public QObject
{
    Q_OBJECT

private slots:
    void specification_data();
    void specification();
    void reportsEachStepToTheLauncher_data();
    void reportsEachStepToTheLauncher();
};

void tst_AttachedAgent::specification_data()
{
    QTest::addColumn<QString>("specification");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("error");

    QTest::newRow("no options: the usual port, the plain protocol") << "" << 4242 << false << "";
    QTest::newRow("a port of its own") << "port=4250" << 4250 << false << "";
    QTest::newRow("the extended mode, in either order")
        << "extended:port=4251" << 4251 << true << "";
    QTest::newRow("port zero") << "port=0" << 4242 << false << "\"0\" is no port from 1 to 65535";
    QTest::newRow("a port past 65535")
        << "port=65536" << 4242 << false << "\"65536\" is no port from 1 to 65535";
    QTest::newRow("a port that is no number")
        << "port=http" << 4242 << false << "\"http\" is no port from 1 to 65535";
    QTest::newRow("an unknown option")
        << "port=4250:verbose" << 4250 << false
        << "unknown option \"verbose\" (the options are port=N and extended)";
}

void tst_AttachedAgent::specification()
{
    QFETCH(QString, specification);
    QFETCH(int, port);
    QFETCH(bool, extended);
    QFETCH(QString, error);

    quint16 parsedPort = 0;
    bool parsedExtended = false;
    QString parseError;
    QCOMPARE(
        AttachedAgent::parseSpecification(specification, &parsedPort, &parsedExtended, &parseError),
        error.isEmpty());
    QCOMPARE(int(parsedPort), port);
    QCOMPARE(parsedExtended, extended);
    QCOMPARE(parseError, error);
}

void tst_AttachedAgent::reportsEachStepToTheLauncher_data()
{
    QTest::addColumn<QString>("specification");
    QTest::addColumn<QByteArray>("reported");

    const QByteArray loaded = "loaded " + QByteArray(qVersion()) + "\n";
    QTest::newRow("attached") << "port=4293" << loaded + "created\nconnected\n";
    QTest::newRow("no driver listens")
        << "port=4294" << loaded + "created\nunreachable Connection refused\n";
    QTest::newRow("options not understood")
        << "port=none" << loaded + "bad-specification \"none\" is no port from 1 to 65535\n";
}

void tst_AttachedAgent::reportsEachStepToTheLauncher()
{
    QFETCH(QString, specification);
    QFETCH(QByteArray, reported);

    DriverServer driver;
    QVERIFY(driver.listen(driverPort));
    StatusReader status;
    auto attached = std::make_unique<AttachedAgent>(specification);
    // Taken over: the application's own children never see it.
    QVERIFY(qgetenv(AttachStatus::environmentVariable).isEmpty());
    QVERIFY(!attached->agent()); // only once the event loop runs

    QTRY_VERIFY(status.readAvailable());
    QCOMPARE(status.text, reported);
    if (reported.endsWith("connected\n")) {
        AgentConnection *agent = driver.waitForAgent();
        QVERIFY(agent);
        QCOMPARE(agent->pid(), QCoreApplication::applicationPid());
        QSignalSpy gone(agent->socket(), &QAbstractSocket::disconnected);
        attached.reset();
        QTRY_COMPARE(gone.count(), 1);
    }
}

TC_TEST_MAIN(tst_AttachedAgent)
#include "tst_attachedagent.moc"
