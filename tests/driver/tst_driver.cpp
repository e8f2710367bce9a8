#include "replydecoder.h"
#include "requesttimer.h"
#include "widgetspy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

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

QTEST_APPLESS_MAIN(tst_Driver)
#include "tst_driver.moc"
