#include "replydecoder.h"
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
    QTest::newRow("no reply") << QByteArray() << QByteArray(R"({"reply":"","status":null})");
}

void tst_Driver::jsonDecodesByTypeLetter()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, json);
    QCOMPARE(QJsonDocument(ReplyDecoder::toJson(reply)).toJson(QJsonDocument::Compact), json);
}

QTEST_APPLESS_MAIN(tst_Driver)
#include "tst_driver.moc"
