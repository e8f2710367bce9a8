// Drives the real host runner, with the agent loaded into it, through the real socket,
// as a test script would.

#include "agentconnection.h"
#include "driverserver.h"
#include "hostexit.h"
#include "testmain.h"

#include <QProcess>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray(text).toHex();
}

} // namespace

class tst_EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menusAndTheirModalDialogsAreDriven();
    void badInputNeverHurtsTheHost();
    void lostDriverLeavesTheHostRunning();

private:
    AgentConnection *agent = nullptr;
    DriverServer *driver = nullptr;
    QProcess *host = nullptr;
};

void tst_EndToEnd::init()
{
    cleanup(); // a failed init leaves its driver and host behind
    driver = new DriverServer(this);
    QVERIFY(driver->listen());
    host = new QProcess(this);
    host->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host->start(QStringLiteral(HOST_RUNNER),
                {QStringLiteral("--agent"), QStringLiteral(AGENT_PLUGIN)});
    QVERIFY(host->waitForStarted());
    agent = driver->waitForAgent(20000);
    QVERIFY(agent);
    // The gallery is shown before the agent is created, but may still be mapping.
    QTRY_VERIFY_WITH_TIMEOUT(agent->request("8,TestClient Gallery") == "0,TestClient Gallery",
                             10000);
}

void tst_EndToEnd::cleanup()
{
    if (host && host->state() != QProcess::NotRunning) {
        // A normal quit: the host destroys the agent through ZuDestroy and exits cleanly.
        host->terminate();
        verifyNormalExit(host);
    }
    delete driver;
    delete host;
    driver = nullptr;
    host = nullptr;
    agent = nullptr;
}

void tst_EndToEnd::menusAndTheirModalDialogsAreDriven()
{
    // The context menu runs its own event loop (exec), and the chosen item opens a modal
    // dialog with another one inside it: each request is still answered at once.
    QCOMPARE(agent->request("5,TestClient,pages,," + hex("s:Menus") + ","),
             QByteArray("0,QTabWidget"));
    QCOMPARE(
        agent->request("9,TestClient,contextArea,," + hex("s:MouseClick:RightButton:::") + ","),
        QByteArray("0,QLabel"));
    QTRY_COMPARE(agent->request("8,Widget:ActivePopupWidget"), QByteArray("0,"));
    QCOMPARE(agent->request("7,Widget:ActivePopupWidget,contextMenu,,itemList,"),
             QByteArray("0,l:\fUndo\fInsert/Table/Row\fInsert/Table/Column\fInsert/Date/Time\f"
                        "\fWord wrap\fRedo\f\fProperties..."));
    QCOMPARE(
        agent->request("5,Widget:ActivePopupWidget,contextMenu,," + hex("s:Properties...") + ","),
        QByteArray("0,QMenu"));
    QTRY_COMPARE(agent->request("8,Properties"), QByteArray("0,Properties"));
    QCOMPARE(agent->request("6,Properties,propertyEdit,," + hex("s:Blue") + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(agent->request("5,Properties,buttons/Ok_dialog_button,,,"),
             QByteArray("0,QPushButton"));
    QTRY_COMPARE(agent->request("8,Properties"), QByteArray("2,Window (Properties) not found"));
    QTRY_COMPARE(agent->request("7,TestClient,menuResult,,text,"),
                 "0,u:" + hex("Properties: Blue"));

    // The main window again, through its menu bar.
    QCOMPARE(agent->request("5,TestClient,menuBar,," + hex("s:Edit/Insert/Table/Row") + ","),
             QByteArray("0,QMenuBar"));
    QTRY_COMPARE(agent->request("7,TestClient,menuResult,,text,"), "0,u:" + hex("Row"));
}

void tst_EndToEnd::badInputNeverHurtsTheHost()
{
    QCOMPARE(agent->request(QByteArray("\x01\x02\xff\xfe", 4)), QByteArray("8,Command not found"));
    QCOMPARE(
        agent->request("5,TestClient,nameEdit,,zz,zz"),
        QByteArray(
            "8,Exception : \"activate\" is not implemented for widget of class \"QLineEdit\""));
    // An empty path names every unnamed widget of the window.
    QVERIFY(agent->request("7,TestClient,,,text,").startsWith("7,Widget () visible,"));
    agent->sendRaw(QByteArray(3 * 1024 * 1024, 'x') + "\n");
    QCOMPARE(agent->readReply(20000), QByteArray("8,Command not found"));
    QCOMPARE(agent->request("8,TestClient"), QByteArray("0,TestClient Gallery"));
}

void tst_EndToEnd::lostDriverLeavesTheHostRunning()
{
    agent->sendRaw("1\n");
    delete driver;
    driver = nullptr;
    // The host must not end (or crash) when its driver goes away.
    QVERIFY(!host->waitForFinished(1000));
    QCOMPARE(host->state(), QProcess::Running);
}

TC_TEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
