#include "agentconnection.h"
#include "driverserver.h"
#include "idllinstance.h"
#include "plugin/loadinterface.h"
#include "testmain.h"
#include "zubase.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace {

// Records what the host framework is told about a failed creation.
class RecordingErrorHandler : public IErrorHandler
{
public:
    void handleException(const ZuException &e) override
    {
        calls << QStringLiteral("plain:%1|%2|%3|%4|%5|%6")
                     .arg(e.message, e.file, e.className, e.method)
                     .arg(e.line)
                     .arg(e.code, 0, 16);
    }
    void handleException(const ZuException &e, int severity, unsigned int code, bool show,
                         bool abort) override
    {
        calls << QStringLiteral("full:%1|%2|%3|%4|%5")
                     .arg(e.message)
                     .arg(severity)
                     .arg(code, 0, 16)
                     .arg(show)
                     .arg(abort);
    }
    QStringList calls;
};

class ForeignInstance : public IDllInstance
{
public:
    explicit ForeignInstance(bool *destroyed) : destroyed(destroyed) {}
    ~ForeignInstance() override { *destroyed = true; }
    bool *destroyed;
};

struct InstanceDeleter
{
    void operator()(IDllInstance *instance) const { ZuDestroy(instance); }
};
using Instance = std::unique_ptr<IDllInstance, InstanceDeleter>;

Instance create()
{
    return Instance(ZuCreate(u"TestClient"));
}

// A throwaway installation of the outside tool, made of our stand-in libraries; its
// wrapper throws on demand while the agent is being constructed.
bool makeInstallation(const QTemporaryDir &dir)
{
    return QDir(dir.path()).mkpath(QStringLiteral("bin")) &&
           QFile::copy(QStringLiteral(SQUISH_STANDIN_HOOK), dir.filePath("bin/libsquishhook.so")) &&
           QFile::copy(QStringLiteral(SQUISH_STANDIN_WRAPPER),
                       dir.filePath("bin/libsquishqtwrapper.so")) &&
           QFile(dir.filePath("bin/squishrunner")).open(QIODevice::WriteOnly);
}

} // namespace

class tst_LoadInterface : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void greetingIsTheFirstLine();
    void greetingReportsTheAcceptedHookVersion();
    void noDriverMeansNoGreetingAndNoRetry();
    void destroyIgnoresNullAndForeignInstances();
    void failingConstructionIsReported_data();
    void failingConstructionIsReported();
};

void tst_LoadInterface::init()
{
    qunsetenv("SQUISH_PREFIX");
    qunsetenv("SQUISH_STANDIN_THROW");
}

void tst_LoadInterface::greetingIsTheFirstLine()
{
    DriverServer driver;
    QVERIFY(driver.listen());
    Instance instance = create();
    QVERIFY(instance);
    AgentConnection *agent = driver.waitForAgent();
    QVERIFY(agent);

    const QByteArray expected = "+client+ 2.1.0 " +
                                QByteArray::number(QCoreApplication::applicationPid()) + " -1 qt" +
                                QByteArray(QT_VERSION_STR).replace(".", "") + "_x64";
    QCOMPARE(agent->greeting(), expected);
    // Nothing follows the greeting until a request arrives.
    QCoreApplication::processEvents();
    QCOMPARE(agent->socket()->bytesAvailable(), qint64(0));
}

void tst_LoadInterface::greetingReportsTheAcceptedHookVersion()
{
    QTemporaryDir installation;
    QVERIFY(makeInstallation(installation));
    qputenv("SQUISH_PREFIX", QFile::encodeName(installation.path()));
    qputenv("SQUISH_STANDIN_ACCEPT", "41234");
    DriverServer driver;
    QVERIFY(driver.listen());
    Instance instance = create();
    qunsetenv("SQUISH_STANDIN_ACCEPT");
    AgentConnection *agent = driver.waitForAgent();
    QVERIFY(agent);
    QCOMPARE(agent->hookVersion(), 41234);
}

void tst_LoadInterface::noDriverMeansNoGreetingAndNoRetry()
{
    Instance instance = create();
    QVERIFY(instance);
    // Let the refused connection arrive and close the agent's socket.
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, DriverServer::defaultPort);
    QTRY_COMPARE(probe.state(), QAbstractSocket::UnconnectedState);

    // A driver that starts listening now is never contacted: there is no reconnection.
    DriverServer late;
    QVERIFY(late.listen());
    QVERIFY(!late.waitForAgent(300));
}

void tst_LoadInterface::destroyIgnoresNullAndForeignInstances()
{
    ZuDestroy(nullptr);
    bool destroyed = false;
    ForeignInstance foreign(&destroyed);
    ZuDestroy(&foreign);
    QVERIFY(!destroyed);
}

void tst_LoadInterface::failingConstructionIsReported_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<uint>("traceMask");
    QTest::addColumn<QStringList>("traces");
    QTest::addColumn<QStringList>("calls");

    const QStringList zuCalls{"plain:wrapper failed|hook.cpp|Wrapper|init|7|2a",
                              "full:wrapper failed|0|ffffffff|1|0"};
    const QStringList stdCalls{"plain:wrapper failed|loadinterface|class|method|22|ffffffff",
                               "full:wrapper failed|0|ffffffff|1|0"};
    QTest::newRow("host exception, tracing on")
        << QByteArray("zu") << 0x20u
        << QStringList{"loadinterface:22:ZuException caught in standard catch-block"} << zuCalls;
    QTest::newRow("standard exception, tracing on")
        << QByteArray("std") << 0x20u
        << QStringList{"loadinterface:22:Standard C++ Exception caught in standard catch-block"}
        << stdCalls;
    QTest::newRow("standard exception, tracing off")
        << QByteArray("std") << 0u << QStringList() << stdCalls;
    QTest::newRow("any other exception is stopped silently")
        << QByteArray("int") << 0x20u << QStringList() << QStringList();
}

void tst_LoadInterface::failingConstructionIsReported()
{
    QFETCH(QByteArray, kind);
    QFETCH(uint, traceMask);
    QFETCH(QStringList, traces);
    QFETCH(QStringList, calls);

    QTemporaryDir installation;
    QVERIFY(makeInstallation(installation));
    qputenv("SQUISH_PREFIX", QFile::encodeName(installation.path()));
    qputenv("SQUISH_STANDIN_THROW", kind);

    RecordingErrorHandler handler;
    QStringList traced;
    ErrorHandler::Instance()->setInterface(&handler);
    ErrorHandler::Instance()->setTraceMask(traceMask);
    ErrorHandler::Instance()->setTraceSink([&traced](const QString &m, const QString &f, int l) {
        traced << QStringLiteral("%1:%2:%3").arg(f).arg(l).arg(m);
    });

    Instance instance = create();

    ErrorHandler::Instance()->setInterface(nullptr);
    ErrorHandler::Instance()->setTraceMask(0);
    ErrorHandler::Instance()->setTraceSink(nullptr);
    QVERIFY(!instance);
    QCOMPARE(traced, traces);
    QCOMPARE(handler.calls, calls);
}

TC_TEST_MAIN(tst_LoadInterface)
#include "tst_loadinterface.moc"
