// Input that the agent cannot deliver to its widget fails the request; input that a user
// could deliver after scrolling, waiting for a panel or on a wide window arrives. Driven
// through testclient-run and the real socket against inputhost, headless and under Xvfb.

#include "attachedapplication.h"
#include "testmain.h"

namespace {

QByteArray enter(const QByteArray &path, const QByteArray &text)
{
    return "6,Input," + path + ",," + QByteArray("s:" + text).toHex() + ',';
}

QByteArray textOf(const QByteArray &path)
{
    return "7,Input," + path + ",,text,";
}

QByteArray text(const QByteArray &value)
{
    return "0,u:" + value.toHex();
}

} // namespace

class tst_DeliveredInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menuBeyondTheOffscreenEdge();
    void fieldThatTakesNoFocus();
    void focusTakenByAnotherWindow();
    void fieldBelowTheFold();
    void panelThatSlidesIn();

private:
    std::unique_ptr<AttachedApplication> app;
};

void tst_DeliveredInput::init()
{
    app.reset(new AttachedApplication(DriverServer::defaultPort));
    // A failure that waits for the window system ends after a second.
    QVERIFY2(app->start(QStringLiteral(INPUT_HOST), {"TESTCLIENT_INPUT_TIMEOUT_MS=1000"}),
             qPrintable(app->error));
    QTRY_COMPARE(app->request("8,Input"), QByteArray("0,Input"));
}

void tst_DeliveredInput::cleanup()
{
    app.reset();
}

void tst_DeliveredInput::menuBeyondTheOffscreenEdge()
{
    // The menu starts past x = 800, the edge of Qt's own offscreen screen.
    QCOMPARE(app->request("5,Input,menuBar,," + QByteArray("s:Far/Reach").toHex() + ","),
             QByteArray("0,QMenuBar"));
    QTRY_COMPARE(app->request(textOf("outcome")), text("reached"));
}

void tst_DeliveredInput::fieldThatTakesNoFocus()
{
    QCOMPARE(app->request(enter("nameEdit", "Ada")), QByteArray("0,QLineEdit"));
    QCOMPARE(app->request(enter("noFocusEdit", "Hello")),
             QByteArray("8,Exception : Error: widget \"noFocusEdit\" of class \"QLineEdit\" does "
                        "not take the keyboard focus, so its keys would go to widget \"nameEdit\" "
                        "of class \"QLineEdit\" in window \"Input\""));
    QCOMPARE(app->request(textOf("nameEdit")), text("Ada"));
    QCOMPARE(app->request(textOf("noFocusEdit")), text(""));
}

void tst_DeliveredInput::focusTakenByAnotherWindow()
{
    QCOMPARE(app->request(enter("thiefEdit", "secret")),
             QByteArray("8,Exception : Error: the keys for widget \"thiefEdit\" of class "
                        "\"QLineEdit\" would go to widget \"thiefTarget\" of class \"QLineEdit\" "
                        "in window \"Thief\", which has the keyboard focus"));
    QCOMPARE(app->request("7,Thief,thiefTarget,,text,"), text(""));
    QCOMPARE(app->request(textOf("thiefEdit")), text(""));
}

void tst_DeliveredInput::fieldBelowTheFold()
{
    QCOMPARE(app->request(enter("deepEdit", "deep")), QByteArray("0,QLineEdit"));
    QCOMPARE(app->request(textOf("deepEdit")), text("deep"));
}

void tst_DeliveredInput::panelThatSlidesIn()
{
    // The click is handled after its reply; the panel then moves for 300 ms.
    QCOMPARE(app->request("5,Input,slideButton,,,"), QByteArray("0,QPushButton"));
    QCOMPARE(app->request(enter("panelEdit", "moved")), QByteArray("0,QLineEdit"));
    QCOMPARE(app->request(textOf("panelEdit")), text("moved"));
}

TC_TEST_MAIN(tst_DeliveredInput)
#include "tst_deliveredinput.moc"
