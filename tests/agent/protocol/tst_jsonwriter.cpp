#include "protocol/jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// The writer must give the bytes QJsonDocument gives: replies built either way are the same.
class tst_JsonWriter : public QObject
{
    Q_OBJECT

private slots:
    void writesWhatQJsonDocumentWrites_data();
    void writesWhatQJsonDocumentWrites();
};

void tst_JsonWriter::writesWhatQJsonDocumentWrites_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain words") << QStringLiteral("Apply now");
    QTest::newRow("quotes and backslashes") << QStringLiteral(R"(say "C:\dir\" /)");
    QTest::newRow("every control character and DEL")
        << QString::fromLatin1("\0\x01\x07\b\t\n\x0b\f\r\x1b\x1f\x7f", 12);
    QTest::newRow("Latin-1, CJK") << QString::fromUtf8("Gr\u00f6\u00dfe \u6570\u636e \u00ff");
    QTest::newRow("emoji as surrogate pairs") << QString::fromUtf8("ok \U0001F44D\U0001F600");
    QTest::newRow("lone surrogates")
        << QString(QChar(0xd800)) + QLatin1Char('x') + QChar(0xdc00) + QChar(0xd83d);
    // Long plain texts go eight units at a time: each kind of unit to escape or encode alone
    // in a block of eight, DEL (plain) in one, a surrogate pair across the end of one.
    QTest::newRow("long texts, each kind alone in a block of eight")
        << QStringLiteral(
               "Plain 8!\"quoted!\\back 7!\nline 7!\u00e9t\u00e9 ok!Pl\x7fin 8!Plain 7") +
               QString::fromUtf8("\U0001F44D") + QChar(0xdc00) + QStringLiteral("Plain 8!Plain 8");
}

void tst_JsonWriter::writesWhatQJsonDocumentWrites()
{
    QFETCH(QString, text);
    const QJsonObject object{{"text", text},
                             {"depth", -12},
                             {"focus", true},
                             {"list", QJsonArray{text, 1.5, 2147483647, false, QJsonValue()}}};
    const QJsonArray array{object, QJsonObject{{text, text}}, QJsonArray()};
    const QByteArray expected = QJsonDocument(array).toJson(QJsonDocument::Compact);

    // Strings, numbers and commas as the listings write them, through the way Qt Quick
    // entries take; the listing's own entries are held to this in tst_extendedrequests.
    JsonWriter converted(QByteArray("0,j:"));
    converted.value(array);
    QCOMPARE(converted.take(), "0,j:" + expected);

    const QByteArray latin1 = text.toLatin1();
    if (QString::fromLatin1(latin1) == text) {
        JsonWriter narrow;
        narrow.string(QLatin1String(latin1));
        QCOMPARE(narrow.take(),
                 QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact).mid(1).chopped(1));
    }
}

QTEST_APPLESS_MAIN(tst_JsonWriter)
#include "tst_jsonwriter.moc"
