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

    JsonWriter converted;
    converted.value(array);
    QCOMPARE(converted.take(), expected);

    JsonWriter direct("0,j:");
    direct.beginArray();
    direct.beginObject();
    direct.key(QLatin1String("depth"));
    direct.number(-12);
    direct.key(QLatin1String("focus"));
    direct.boolean(true);
    direct.key(QLatin1String("list"));
    direct.beginArray();
    direct.string(text);
    direct.value(1.5);
    direct.number(2147483647);
    direct.boolean(false);
    direct.value(QJsonValue());
    direct.endArray();
    direct.key(QLatin1String("text"));
    direct.string(text);
    direct.endObject();
    direct.value(QJsonObject{{text, text}});
    direct.beginArray();
    direct.endArray();
    direct.endArray();
    QCOMPARE(direct.take(), "0,j:" + expected);

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
