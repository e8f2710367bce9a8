// Requests whose input makes the application wait in an event loop of its own (a modal
// dialog, a menu, a message box): driven through the real socket against nestedloophost.

#include "agentconnection.h"
#include "driverserver.h"
#include "hostexit.h"
#include "testmain.h"

#include <QProcess>

namespace {

// One write to the agent (one or more request lines) and the replies it must bring, in
// order. An eventual step is repeated until its single reply matches (an effect that
// the application shows once it has handled input queued after the reply).
struct Step
{
    QByteArray lines;
    QByteArrayList replies;
    bool eventual = false;
};
using Script = QVector<Step>;

QByteArray hex(const QByteArray &text)
{
    return text.toHex();
}

QByteArray mouse(const QByteArray &window, const QByteArray &path, const QByteArray &command,
                 const QByteArray &classHint = QByteArray())
{
    return "9," + window + ',' + path + ',' + classHint + ',' + hex("s:" + command) + ',';
}

QByteArray enter(const QByteArray &window, const QByteArray &path, const QByteArray &text)
{
    return "6," + window + ',' + path + ",," + hex("s:" + text) + ',';
}

Step expect(const QByteArray &line, const QByteArray &reply)
{
    return {line, {reply}};
}

// A property read whose value is the application's answer to input handled after the
// previous reply.
Step eventually(const QByteArray &window, const QByteArray &path, const QByteArray &text)
{
    return {"7," + window + ',' + path + ",,text,", {"0,u:" + hex(text)}, true};
}

const QByteArray host = "Nested Host";
const QByteArray release = "MouseRelease:LeftButton:0.5:0.5";

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_NestedLoops : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void drivesWhatTheApplicationWaitsFor_data();
    void drivesWhatTheApplicationWaitsFor();
    void destroyingTheAgentInsideADialogLeavesTheHostRunning();
    void quittingInsideADialogEndsTheHostNormally();

private:
    void run(const Script &script);

    AgentConnection *agent = nullptr;
    DriverServer *driver = nullptr;
    QProcess *hostProcess = nullptr;
};

void tst_NestedLoops::init()
{
    cleanup();
    driver = new DriverServer(this);
    QVERIFY(driver->listen());
    hostProcess = new QProcess(this);
    hostProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hostProcess->start(QStringLiteral(NESTED_HOST), QStringList());
    QVERIFY(hostProcess->waitForStarted());
    agent = driver->waitForAgent(20000);
    QVERIFY(agent);
    QTRY_VERIFY_WITH_TIMEOUT(agent->request("8," + host) == "0," + host, 10000);
}

void tst_NestedLoops::cleanup()
{
    if (hostProcess && hostProcess->state() != QProcess::NotRunning) {
        hostProcess->closeWriteChannel(); // the host's way to quit
        verifyNormalExit(hostProcess);
    }
    delete driver;
    delete hostProcess;
    driver = nullptr;
    hostProcess = nullptr;
    agent = nullptr;
}

void tst_NestedLoops::run(const Script &script)
{
    for (const Step &step : script) {
        if (step.eventual) {
            QTRY_COMPARE(agent->request(step.lines), step.replies.first());
            continue;
        }
        agent->sendRaw(step.lines + '\n');
        for (const QByteArray &reply : step.replies)
            QCOMPARE(agent->readReply(), reply);
    }
}

void tst_NestedLoops::drivesWhatTheApplicationWaitsFor_data()
{
    QTest::addColumn<Script>("script");

    QTest::newRow("a context menu opened by a right click chooses its second item")
        << Script{expect(mouse(host, "menuPad", "MouseRelease:RightButton:0.5:0.5"), "0,QWidget"),
                  expect("8,Widget:ActivePopupWidget", "0,"),
                  expect(mouse("Widget:ActivePopupWidget", "ActivePopupWidget",
                               "MouseClick:LeftButton:0.5:0.75", "QWidget"),
                         "0,QWidget"),
                  eventually(host, "outcome", "menu:Second;")};

    // The key that opened the box reaches the line edit once the box is answered.
    QTest::newRow("a message box opened by a key press is answered")
        << Script{expect(enter(host, "questionEdit", "a?"), "0,QLineEdit"),
                  expect("8,Question Box", "0,Question Box"),
                  expect("5,Question Box,yesButton,,,", "0,QPushButton"),
                  eventually(host, "outcome", "box:yes;"), eventually(host, "questionEdit", "a?")};

    // The enter request behind the activate delivers its click and so waits in the
    // dialog; once that closes, it finishes on its own line edit, not the dialog's.
    QTest::newRow("an activate's dialog opens under a request pipelined behind it")
        << Script{{"5,Nested Host,openButton,,,\n" + enter(host, "mainEdit", "behind"),
                   {"0,QPushButton", "0,QLineEdit"}},
                  expect(enter("Edit Dialog", "dialogEdit", "inside"), "0,QLineEdit"),
                  expect("5,Edit Dialog,okButton,,,", "0,QPushButton"),
                  eventually(host, "outcome", "Edit Dialog:inside;"),
                  eventually(host, "mainEdit", "behind")};

    // A read cannot know its value before it is done: it is answered with an error.
    QTest::newRow("a property read under which a dialog opens is answered with an error")
        << Script{{"5,Nested Host,openButton,,,\n7,Nested Host,mainEdit,,globalRect,",
                   {"0,QPushButton", "8,Exception : Error: the application waits in a dialog or "
                                     "menu, the result is not known yet"}},
                  expect("5,Edit Dialog,cancelButton,,,", "0,QPushButton"),
                  eventually(host, "outcome", "Edit Dialog:rejected;")};

    QTest::newRow("a dialog's button opens a second dialog; both close in order")
        << Script{expect(mouse(host, "dialogPad", release), "0,QWidget"),
                  expect(mouse("Edit Dialog", "morePad", release), "0,QWidget"),
                  expect("8,Edit Dialog", "4,Window (Edit Dialog) not active modal"),
                  expect("5,Inner Dialog,okButton,,,", "0,QPushButton"),
                  eventually(host, "outcome", "Inner Dialog:ok;"),
                  expect("5,Edit Dialog,cancelButton,,,", "0,QPushButton"),
                  eventually(host, "outcome", "Inner Dialog:ok;Edit Dialog:rejected;")};

    // Closed by a release that processes events; exec() then deletes it, under the request
    // that opened it.
    QTest::newRow("a dialog that deletes itself is closed by a release on its button") << Script{
        expect(mouse(host, "deletePad", release), "0,QWidget"),
        expect(mouse("Self Deleting", "cancelButton", "MousePress:LeftButton:0.5:0.5", "QWidget"),
               "0,QWidget"),
        expect(mouse("Self Deleting", "cancelButton", release, "QWidget"), "0,QWidget"),
        eventually(host, "outcome", "Self Deleting:deleted;"),
        expect("8,Self Deleting", "2,Window (Self Deleting) not found")};
}

void tst_NestedLoops::drivesWhatTheApplicationWaitsFor()
{
    QFETCH(Script, script);
    run(script);
    if (QTest::currentTestFailed())
        return;
    // The main window answers again, with exactly one reply per request.
    run({expect("8," + host, "0," + host), expect(enter(host, "mainEdit", "again"), "0,QLineEdit"),
         eventually(host, "mainEdit", "again")});
}

void tst_NestedLoops::destroyingTheAgentInsideADialogLeavesTheHostRunning()
{
    // The request that destroyed the agent still gets its reply, then the line closes.
    run({expect(mouse(host, "dialogPad", release), "0,QWidget"),
         expect(mouse("Edit Dialog", "destroyPad", release), "0,QWidget")});
    QTRY_VERIFY(!agent->isConnected());
    QCOMPARE(hostProcess->state(), QProcess::Running);
}

void tst_NestedLoops::quittingInsideADialogEndsTheHostNormally()
{
    run({expect(mouse(host, "dialogPad", release), "0,QWidget"),
         expect(mouse("Edit Dialog", "quitPad", release), "0,QWidget")});
    verifyNormalExit(hostProcess);
    QTRY_VERIFY(!agent->isConnected());
}

TC_TEST_MAIN(tst_NestedLoops)
#include "tst_nestedloops.moc"
