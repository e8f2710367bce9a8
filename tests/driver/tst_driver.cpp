#include "replydecoder.h"
#include "requesttimer.h"
#include "widgetspy.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

// The start of a PNG of 37x13 pixels: signature, then the IHDR chunk's length, type, width
// and height.
const QByteArray pngHeader = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"
                                                 "000000250000000d");

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
    QTest::newRow("JSON that does not parse is shown as it came")
        << QByteArray("0,j:[1,")
        << QStringLiteral("(malformed JSON: object is missing after a comma) [1,");
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

QTEST_APPLESS_MAIN(tst_Driver)
#include "tst_driver.moc"
