#include "agentconnection.h"
#include "replydecoder.h"
#include "requesttimer.h"
#include "screenshot.h"
#include "widgetspy.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The start of a PNG of 37x13 pixels: signature, then the IHDR chunk's length, type, width
// and height.
const QByteArray pngHeader = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"
                                                 "000000250000000d");

// An agent played by the test on a port of the system's choosing: it greets, keeps every
// request line and answers from its table ("8,Command not found" for the rest). It answers
// while the driver's side waits, as that keeps the event loop running.
class FakeAgent : public QObject
{
public:
    explicit FakeAgent(const QByteArray &greeting)
    {
        listener.listen(QHostAddress::LocalHost);
        auto *driverSide = new QTcpSocket;
        driverSide->connectToHost(QHostAddress::LocalHost, listener.serverPort());
        if (!listener.waitForNewConnection(5000) || !driverSide->waitForConnected(5000))
            qFatal("the fake agent cannot connect");
        agentSide = listener.nextPendingConnection();
        connect(agentSide, &QTcpSocket::readyRead, this, &FakeAgent::answer);
        agentSide->write(greeting + '\n');
        connection = new AgentConnection(driverSide, this);
        if (!connection->waitForGreeting(5000))
            qFatal("the fake agent's greeting did not arrive");
    }

    QMap<QByteArray, QByteArray> replies;
    QList<QByteArray> requests;
    AgentConnection *connection = nullptr;

private:
    void answer()
    {
        while (agentSide->canReadLine()) {
            const QByteArray line = agentSide->readLine().chopped(1);
            requests << line;
            agentSide->write(replies.value(line, "8,Command not found") + '\n');
        }
    }

    QTcpServer listener;
    QTcpSocket *agentSide = nullptr;
};

const QByteArray plainGreeting = "+client+ 2.1.0 4711 3 plain";
const QByteArray extendedGreeting = "+client+ 2.1.0 4711 3 plain extended";

QByteArray pngOf(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

} // namespace

class tst_Driver : public QObject
{
    Q_OBJECT

private slots:
    void spyProposesPathsWithNamedAncestors_data();
    void spyProposesPathsWithNamedAncestors();
    void jsonDecodesByTypeLetter_data();
    void jsonDecodesByTypeLetter();
    void textDescribesByTypeLetter_data();
    void textDescribesByTypeLetter();
    void timeCommandParses_data();
    void timeCommandParses();
    void timingSummarisesReplies();
    void spyListsThroughTheExtendedRequestsOnlyWhenGreeted_data();
    void spyListsThroughTheExtendedRequestsOnlyWhenGreeted();
    void spyProvesEachProposedAddress();
    void shotCommandParses_data();
    void shotCommandParses();
    void shotWritesOnlyAPng();
};

void tst_Driver::spyProposesPathsWithNamedAncestors_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("paths");

    // window "main" > "page" > "" > "ok", and a sibling "" under "page".
    QTest::newRow("a named widget: its name, then each named ancestor in front")
        << 3 << QStringList{"ok", "page//ok", "main//page//ok"};
    QTest::newRow("an unnamed widget: only with named ancestors")
        << 4 << QStringList{"page//unnamed", "main//page//unnamed"};
    QTest::newRow("a child of the window") << 1 << QStringList{"page", "main//page"};
}

void tst_Driver::spyProposesPathsWithNamedAncestors()
{
    QFETCH(int, index);
    QFETCH(QStringList, paths);
    const QList<WidgetSpy::Entry> tree = WidgetSpy::parseTree("0,l:\x0c"
                                                              "0 V QMainWindow : \"main\"\x0c"
                                                              "1 V QWidget : \"page\"\x0c"
                                                              "2 V QFrame : \"\"\x0c"
                                                              "3 V QPushButton : \"ok\"\x0c"
                                                              "2 N QLabel : \"\"");
    QCOMPARE(tree.size(), 5);
    QCOMPARE(tree.at(4).visible, false);
    QCOMPARE(WidgetSpy::candidatePaths(tree, index), paths);
}

void tst_Driver::jsonDecodesByTypeLetter_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("boolean") << QByteArray("0,b:true")
                             << QByteArray(R"({"reply":"0,b:true","status":"0","value":true})");
    QTest::newRow("text in hex") << QByteArray("0,u:6162")
                                 << QByteArray(R"({"reply":"0,u:6162","status":"0","value":"ab"})");
    QTest::newRow("rectangle") << QByteArray("0,r:1,2,3,4")
                               << QByteArray(
                                      R"({"reply":"0,r:1,2,3,4","status":"0","value":[1,2,3,4]})");
    QTest::newRow("list") << QByteArray("0,l:\x0c"
                                        "a\x0c")
                          << QByteArray(R"({"reply":"0,l:\fa\f","status":"0","value":["a",""]})");
    QTest::newRow("error") << QByteArray("5,Widget (x) not found")
                           << QByteArray(R"({"message":"Widget (x) not found",)"
                                         R"("reply":"5,Widget (x) not found","status":"5"})");
    QTest::newRow("empty cursor record")
        << QByteArray("?,,,,,,") << QByteArray(R"({"reply":"?,,,,,,","status":"?"})");
    QTest::newRow("cursor record with named fields")
        << QByteArray("?,QPushButton,2,1,a/b,win,5469746c65,1234,3")
        << QByteArray(R"({"record":{"className":"QPushButton","hookVersion":3,"listed":2,)"
                      R"("path":"a/b","pid":1234,"visible":1,"windowObjectName":"win",)"
                      R"("windowTitle":"Title"},"reply":"?,QPushButton,2,1,a/b,win,)"
                      R"(5469746c65,1234,3","status":"?"})");
    QTest::newRow("no reply") << QByteArray() << QByteArray(R"({"reply":"","status":null})");
    QTest::newRow("JSON as itself") << QByteArray(R"(0,j:[{"a":"\u00e9"},2])")
                                    << QByteArray(R"({"reply":"0,j:[{\"a\":\"\\u00e9\"},2]",)"
                                                  R"("status":"0","value":[{"a":"é"},2]})");
    QTest::newRow("a lone JSON value") << QByteArray("0,j:true")
                                       << QByteArray(R"({"reply":"0,j:true","status":"0",)"
                                                     R"("value":true})");
    QTest::newRow("a PNG measured from its header")
        << QByteArray("0,p:" + pngHeader.toHex() + "ffff")
        << QByteArray(R"({"reply":"0,p:)" + pngHeader.toHex() +
                      R"(ffff","status":"0",)"
                      R"("value":{"height":13,"png_bytes":26,"width":37}})");
    QTest::newRow("no PNG") << QByteArray("0,p:00ff")
                            << QByteArray(R"({"reply":"0,p:00ff","status":"0",)"
                                          R"("value":{"height":null,"png_bytes":2,"width":null}})");
}

void tst_Driver::jsonDecodesByTypeLetter()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, json);
    QCOMPARE(QJsonDocument(ReplyDecoder::toJson(ReplyDecoder::decode(reply)))
                 .toJson(QJsonDocument::Compact),
             json);
}

void tst_Driver::textDescribesByTypeLetter_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("text");

    QTest::newRow("boolean") << QByteArray("0,b:true") << QStringLiteral("value true");
    QTest::newRow("number") << QByteArray("0,i:-7") << QStringLiteral("value -7");
    QTest::newRow("text in hex is decoded as UTF-8")
        << QByteArray("0,u:c3a9") << QStringLiteral("text \"\u00e9\"");
    QTest::newRow("an XPM image is only measured")
        << QByteArray("0,x:2f2a2a") << QStringLiteral("XPM image, 3 bytes");
    QTest::newRow("rectangle") << QByteArray("0,r:1,2,3,4")
                               << QStringLiteral("rectangle left 1 top 2 right 3 bottom 4");
    QTest::newRow("three corners are shown as they came")
        << QByteArray("0,r:1,2,3") << QStringLiteral("ok \"r:1,2,3\"");
    QTest::newRow("list entries one per line") << QByteArray("0,l:\x0c"
                                                             "a\x0c"
                                                             "b")
                                               << QStringLiteral("list of 2\n  a\n  b");
    QTest::newRow("untyped value") << QByteArray("0,plain") << QStringLiteral("ok \"plain\"");
    QTest::newRow("error with its code spelled out")
        << QByteArray("5,Widget (x) not found")
        << QStringLiteral("error 5 (widget not found): Widget (x) not found");
    QTest::newRow("cursor record")
        << QByteArray("?,QPushButton,2,1,a/b,win,5469746c65,1234,3")
        << QStringLiteral("class QPushButton, 2 listed, 1 visible\npath   a/b\n"
                          "window win \"Title\"\npid 1234, hook version 3");
    QTest::newRow("empty cursor record")
        << QByteArray("?,,,,,,") << QStringLiteral("nothing under the cursor");
    QTest::newRow("no reply") << QByteArray() << QStringLiteral("(no reply)");
    QTest::newRow("empty reply") << QByteArray("") << QStringLiteral("(malformed) ");
    QTest::newRow("a comma is no status") << QByteArray(",,x") << QStringLiteral("(malformed) ,,x");
    QTest::newRow("window listing one line each, address first")
        << QByteArray(
               R"(0,j:[{"class":"QMainWindow","name":"main","title":"Gallery",)"
               R"("modal":false,"active":true,"geometry":[0,0,640,480],"address":"Gallery"},)"
               R"({"class":"QDialog","name":"","title":"Find","modal":true,"active":false,)"
               R"("geometry":[5,6,70,80],"address":"{QDialog title=Find}"}])")
        << QStringLiteral("list of 2\n"
                          "  Gallery  QMainWindow \"main\" \"Gallery\" at 0,0 640x480 (active)\n"
                          "  {QDialog title=Find}  QDialog \"\" \"Find\" at 5,6 70x80 (modal)");
    QTest::newRow("widget listing indented by depth")
        << QByteArray(
               R"(0,j:[{"class":"QWidget","name":"page","text":"","geometry":[0,0,9,9],)"
               R"("enabled":true,"focus":false,"depth":1,"path":"page","address":"page"},)"
               R"({"class":"QPushButton","name":"","text":"\u00e9t\u00e9",)"
               R"("geometry":[1,2,3,4],"enabled":false,"focus":true,"depth":2,)"
               R"("path":"page/unnamed","address":"page/{QPushButton text=\u00e9t\u00e9}"}])")
        << QStringLiteral("list of 2\n"
                          "    page  QWidget \"page\" \"\" at 0,0 9x9\n"
                          "      page/{QPushButton text=\u00e9t\u00e9}  QPushButton \"\" "
                          "\"\u00e9t\u00e9\" at 1,2 3x4 (disabled, focus)");
    QTest::newRow("other JSON pretty-printed")
        << QByteArray(R"(0,j:{"a":[1]})") << QStringLiteral("{\n    \"a\": [\n        1\n    ]\n}");
    QTest::newRow("a lone JSON value as it is")
        << QByteArray("0,j:\"x\"") << QStringLiteral("\"x\"");
    QTest::newRow("JSON that does not parse is shown as it came")
        << QByteArray("0,j:[1,")
        << QStringLiteral("(malformed JSON: object is missing after a comma) [1,");
    QTest::newRow("two JSON values are no reply value")
        << QByteArray("0,j:1,2") << QStringLiteral("(malformed JSON: not one value) 1,2");
    QTest::newRow("a PNG measured from its header")
        << QByteArray("0,p:" + pngHeader.toHex()) << QStringLiteral("PNG image 37x13, 24 bytes");
    QTest::newRow("a PNG cut short of its size") << QByteArray("0,p:" + pngHeader.left(20).toHex())
                                                 << QStringLiteral("not a PNG image, 20 bytes");
}

void tst_Driver::textDescribesByTypeLetter()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, text);
    QCOMPARE(ReplyDecoder::describe(ReplyDecoder::decode(reply)), text);
}

void tst_Driver::timeCommandParses_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("request");

    QTest::newRow("count left out")
        << ":time 7,Calc,display,,text," << 100 << "7,Calc,display,,text,";
    QTest::newRow("count given") << ":time  25 1" << 25 << "1";
    QTest::newRow("a request of digits alone") << ":time 10" << 100 << "10";
    QTest::newRow("no request") << ":time" << -1 << "";
    QTest::newRow("no request after the count") << ":time 5 " << 100 << "5";
    QTest::newRow("zero times") << ":time 0 1" << -1 << "";
    QTest::newRow("beyond the bound") << ":time 1000001 1" << -1 << "";
}

void tst_Driver::timeCommandParses()
{
    QFETCH(QString, command);
    QFETCH(int, count);
    QFETCH(QString, request);

    int parsedCount = 0;
    QString parsedRequest, error;
    const bool ok = RequestTimer::parse(command, &parsedCount, &parsedRequest, &error);
    QCOMPARE(ok, count > 0);
    if (ok) {
        QCOMPARE(parsedCount, count);
        QCOMPARE(parsedRequest, request);
    } else {
        QVERIFY(!error.isEmpty());
    }
}

// Long replies are shortened with their size, differing replies and a lost reply are
// said, and the figures come only from answered requests.
void tst_Driver::timingSummarisesReplies()
{
    const QByteArray tree = "0,l:" + QByteArray(5000, 'x');
    int calls = 0;
    RequestTimer::Timing timing = RequestTimer::run(
        "2,Bench", 10, [&]() -> QByteArray { return ++calls < 4 ? tree : QByteArray(); });
    QCOMPARE(calls, 4);
    QCOMPARE(timing.roundTripsNs.size(), 3);
    QVERIFY(timing.failed);
    QVERIFY(!timing.repliesDiffer);
    QString text = RequestTimer::describe(timing);
    QVERIFY2(text.startsWith("3 x 2,Bench: median "), qPrintable(text));
    QVERIFY2(text.contains("... (5004 bytes)"), qPrintable(text));
    QVERIFY2(text.contains("no reply to request 4"), qPrintable(text));

    calls = 0;
    timing = RequestTimer::run("5,Calc,plus,,,", 3, [&] { return QByteArray::number(++calls); });
    QVERIFY(timing.repliesDiffer);
    QVERIFY(!timing.failed);
    QCOMPARE(timing.firstReply, QByteArray("1"));
    QCOMPARE(RequestTimer::toJson(timing).value("answered").toInt(), 3);
}

void tst_Driver::spyListsThroughTheExtendedRequestsOnlyWhenGreeted_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("firstRequest");

    QTest::newRow("plain agent: window list") << plainGreeting << QByteArray("1");
    QTest::newRow("extended agent: window listing") << extendedGreeting << QByteArray("20");
    QTest::newRow("extended, with stray blanks")
        << QByteArray("+client+  2.1.0 4711 3 plain  extended \r") << QByteArray("20");
    QTest::newRow("a fifth word alone is the wrapper variant")
        << QByteArray("+client+ 2.1.0 4711 3 extended") << QByteArray("1");
}

void tst_Driver::spyListsThroughTheExtendedRequestsOnlyWhenGreeted()
{
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, firstRequest);
    FakeAgent agent(greeting);
    QCOMPARE(agent.connection->pid(), 4711);
    WidgetSpy::spy(agent.connection, 5000);
    QVERIFY(!agent.requests.isEmpty());
    QCOMPARE(agent.requests.first(), firstRequest);
}

// Each address the agent proposes is read through once; those that find no widget of the
// listed class, or cannot travel in a request, are marked instead of shown as working.
void tst_Driver::spyProvesEachProposedAddress()
{
    FakeAgent agent(extendedGreeting);
    agent.replies["20"] = R"(0,j:[{"class":"QDialog","name":"","title":"Find",)"
                          R"("modal":true,"active":true,"geometry":[0,0,9,9],)"
                          R"("address":"{QDialog title=Find}"}])";
    agent.replies["21,{QDialog title=Find}"] =
        R"(0,j:[{"class":"QLineEdit","name":"what","text":"x","depth":1,"address":"what"},)"
        R"({"class":"QPushButton","name":"","text":"OK","depth":1,"address":"{QPushButton text=OK}"},)"
        R"({"class":"QLabel","name":"","text":"a,b","depth":1,"address":"{QLabel text=a,b}"},)"
        R"({"class":"QCheckBox","name":"","text":"Case","depth":2,"address":"{QCheckBox}"}])";
    agent.replies["7,{QDialog title=Find},what,,className,"] =
        "0,u:" + QByteArray("QLineEdit").toHex();
    agent.replies["7,{QDialog title=Find},{QPushButton text=OK},,className,"] =
        "0,u:" + QByteArray("QPushButton").toHex();
    agent.replies["7,{QDialog title=Find},{QCheckBox},,className,"] =
        "7,Widget ({QCheckBox}) visible,2";

    const QStringList lines = WidgetSpy::spy(agent.connection, 5000);
    QCOMPARE(
        lines,
        QStringList({"window QDialog \"Find\"  -> {QDialog title=Find}",
                     "    QLineEdit \"what\" \"x\"  -> {QDialog title=Find},what",
                     "    QPushButton \"\" \"OK\"  -> {QDialog title=Find},{QPushButton text=OK}",
                     "    QLabel \"\" \"a,b\"  -- no address that a request can carry "
                     "({QLabel text=a,b})",
                     "      QCheckBox \"\" \"Case\"  -- {QDialog title=Find},{QCheckBox} does "
                     "not resolve: 7,Widget ({QCheckBox}) visible,2",
                     "4 widgets, 2 without a working address"}));
    QCOMPARE(agent.requests.size(), 5);
}

void tst_Driver::shotCommandParses_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("request");

    QTest::newRow("a window: the empty path") << ":shot a.png Gallery"
                                              << "a.png" << QByteArray("22,Gallery,");
    QTest::newRow("a widget") << ":shot  /tmp/b.png  Gallery,page//ok"
                              << "/tmp/b.png" << QByteArray("22,Gallery,page//ok");
    QTest::newRow("selectors keep their blanks")
        << ":shot c.png {QDialog title='Save As'},{QPushButton text=OK}"
        << "c.png" << QByteArray("22,{QDialog title='Save As'},{QPushButton text=OK}");
    QTest::newRow("no window") << ":shot c.png"
                               << "" << QByteArray();
    QTest::newRow("nothing") << ":shot"
                             << "" << QByteArray();
}

void tst_Driver::shotCommandParses()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(QByteArray, request);

    QString parsedFile, error;
    QByteArray parsedRequest;
    const bool ok = ScreenShot::parse(command, &parsedFile, &parsedRequest, &error);
    QCOMPARE(ok, !request.isEmpty());
    if (ok) {
        QCOMPARE(parsedFile, file);
        QCOMPARE(parsedRequest, request);
    } else {
        QVERIFY(!error.isEmpty());
    }
}

// The PNG in the reply becomes the file, byte for byte; an error or a reply that is no PNG
// leaves no file behind.
void tst_Driver::shotWritesOnlyAPng()
{
    const QByteArray png = pngOf(QSize(37, 13));
    FakeAgent agent(extendedGreeting);
    agent.replies["22,Gallery,"] = "0,p:" + png.toHex();
    agent.replies["22,Gallery,gone"] = "5,Widget (gone) not found";
    agent.replies["22,Gallery,cut"] = "0,p:" + png.left(20).toHex();
    QTemporaryDir dir;
    const QString file = dir.filePath("shot.png");

    ScreenShot::Result result = ScreenShot::take(agent.connection, file, "22,Gallery,", 5000);
    QVERIFY2(result.written, qPrintable(result.message));
    QCOMPARE(result.message,
             QString("wrote %1: PNG image 37x13, %2 bytes").arg(file).arg(png.size()));
    QCOMPARE(QImage(file).size(), QSize(37, 13));
    QCOMPARE(ScreenShot::toJson(result).value("width").toInt(), 37);
    QVERIFY(QFile::remove(file));

    for (const QByteArray request : {"22,Gallery,gone", "22,Gallery,cut"}) {
        result = ScreenShot::take(agent.connection, file, request, 5000);
        QVERIFY2(!result.written, request);
        QVERIFY2(result.message.startsWith("no screenshot: "), qPrintable(result.message));
        QVERIFY2(!QFile::exists(file), request);
    }

    // A plain agent does not know the request: the message says why.
    FakeAgent plain(plainGreeting);
    result = ScreenShot::take(plain.connection, file, "22,Gallery,", 5000);
    QVERIFY2(result.message.endsWith("(the agent is not in the extended mode)"),
             qPrintable(result.message));
}

QTEST_GUILESS_MAIN(tst_Driver)
#include "tst_driver.moc"
