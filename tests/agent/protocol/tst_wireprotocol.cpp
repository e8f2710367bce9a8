#include "protocol/mnemonics.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "protocol/wiretext.h"
#include "testmain.h"

#include <QColor>
#include <QDate>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QUrl>

using namespace WireProtocol;

class tst_WireProtocol : public QObject
{
    Q_OBJECT

private slots:
    void requestFields_data();
    void requestFields();
    void typedValues_data();
    void typedValues();
    void encodeHex_data();
    void encodeHex();
    void decodeHex_data();
    void decodeHex();
    void propertyValues_data();
    void propertyValues();
    void pixmapsTravelAsXpm();
    void extendedValuesAreUtf8WhenWhole_data();
    void extendedValuesAreUtf8WhenWhole();
    void fieldsByMode();
    void messagesCut_data();
    void messagesCut();
    void mnemonics_data();
    void mnemonics();
};

void tst_WireProtocol::requestFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");

    QTest::newRow("the code") << "5,win,path" << 0 << "5";
    QTest::newRow("an empty field counts") << "7,,path" << 1 << "";
    QTest::newRow("an absent field is empty") << "8,win" << 3 << "";
    QTest::newRow("a trailing comma gives an empty last field") << "2,win," << 2 << "";
}

void tst_WireProtocol::requestFields()
{
    QFETCH(QString, line);
    QFETCH(int, index);
    QFETCH(QString, field);
    const QString actual = requestField(line, index);
    QCOMPARE(actual, field);
    // Callers tell a field that is there but empty from one the line does not have.
    QCOMPARE(actual.isNull(), QByteArray(QTest::currentDataTag()).startsWith("an absent"));
}

void tst_WireProtocol::typedValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("string") << "s:hello" << QVariant(QStringLiteral("hello"));
    QTest::newRow("string keeps colons and commas")
        << "s:a:b,c" << QVariant(QStringLiteral("a:b,c"));
    QTest::newRow("true") << "b:true" << QVariant(true);
    QTest::newRow("capitalised boolean is invalid") << "b:True" << QVariant();
    QTest::newRow("boolean with trailing text is invalid") << "b:truex" << QVariant();
    QTest::newRow("integer") << "i:42" << QVariant(42);
    QTest::newRow("bad digits leave it empty") << "i:4x2" << QVariant();
    QTest::newRow("out of range leaves it empty") << "i:99999999999" << QVariant();
    QTest::newRow("empty field") << "" << QVariant();
}

void tst_WireProtocol::typedValues()
{
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    const QVariant actual = typedValue(text);
    QCOMPARE(actual.userType(), value.userType());
    QCOMPARE(actual, value);
}

void tst_WireProtocol::encodeHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");

    QTest::newRow("two letters") << "AB"
                                 << "4142";
    QTest::newRow("a control character is padded to two digits") << QString(QChar(7)) << "07";
    QTest::newRow("a unit above 0xff takes four digits") << QString(QChar(0x20ac)) << "20ac";
    QTest::newRow("a unit of three digits is not padded to four") << QString(QChar(0x100)) << "100";
}

void tst_WireProtocol::encodeHex()
{
    QFETCH(QString, text);
    QFETCH(QString, hex);
    QCOMPARE(encodehex(text), hex);
}

void tst_WireProtocol::decodeHex_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");

    QTest::newRow("pairs") << "4142"
                           << "AB";
    QTest::newRow("an odd tail is read alone") << "414" << QStringLiteral("A") + QChar(4);
    QTest::newRow("an invalid pair gives character 0")
        << "41zz42" << QStringLiteral("A") + QChar(0) + "B";
    QTest::newRow("a sign is not a digit") << "+1" << QString(QChar(0));
    QTest::newRow("a blank is not a digit") << " 1" << QString(QChar(0));
    QTest::newRow("empty") << ""
                           << "";
}

void tst_WireProtocol::decodeHex()
{
    QFETCH(QString, hex);
    QFETCH(QString, text);
    QCOMPARE(decodehex(hex), text);
}

void tst_WireProtocol::propertyValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("int") << QVariant(-12) << QByteArray("0,i:-12");
    QTest::newRow("unsigned") << QVariant(7u) << QByteArray("0,i:7");
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29))
                          << QByteArray("0,u:") + QByteArray("2024-02-29").toHex();
    QTest::newRow("colour") << QVariant(QColor(Qt::red))
                            << QByteArray("0,u:") + QByteArray("#ff0000").toHex();
    QTest::newRow("invalid") << QVariant() << QByteArray("8,Property type not supported");
    QTest::newRow("map") << QVariant(QVariantMap()) << QByteArray("8,Property type not supported");
    QTest::newRow("64-bit integer")
        << QVariant(qlonglong(1)) << QByteArray("8,Unknown property type");
    QTest::newRow("url") << QVariant(QUrl("http://x")) << QByteArray("8,Unknown property type");
    QTest::newRow("floating rectangle")
        << QVariant(QRectF(0, 0, 1, 1)) << QByteArray("8,Unknown property type");
}

void tst_WireProtocol::propertyValues()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, reply);
    QCOMPARE(Reply::propertyValue(value, WireText::Mode::Plain), reply);
}

void tst_WireProtocol::pixmapsTravelAsXpm()
{
    QPixmap pixmap(3, 2);
    pixmap.fill(Qt::blue);
    const QByteArray pixmapReply = Reply::propertyValue(pixmap, WireText::Mode::Plain);
    QVERIFY(pixmapReply.startsWith("0,x:"));
    const QByteArray xpm = QByteArray::fromHex(pixmapReply.mid(4));
    QVERIFY(xpm.startsWith("/* XPM */"));
    QVERIFY(xpm.contains("\"3 2 "));

    // Icons are sent as their 64 by 64 pixmap.
    const QByteArray iconReply =
        Reply::propertyValue(QIcon(pixmap.scaled(80, 80)), WireText::Mode::Plain);
    QVERIFY(QByteArray::fromHex(iconReply.mid(4)).contains("\"64 64 "));
}

void tst_WireProtocol::extendedValuesAreUtf8WhenWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("value");
    QTest::newRow("ASCII") << QByteArray("abc") << QString("abc");
    QTest::newRow("whole UTF-8") << QByteArray("Gr\xc3\xb6\xc3\x9f \xe6\x95\xb0")
                                 << QString::fromUtf8("Gr\u00f6\u00df \u6570");
    QTest::newRow("a Latin-1 byte that starts no sequence stays Latin-1")
        << QByteArray("caf\xe9!") << QString::fromLatin1("caf\xe9!");
    QTest::newRow("a sequence cut at the end stays Latin-1")
        << QByteArray("ab\xe6\x95") << QString::fromLatin1("ab\xe6\x95");
    QTest::newRow("an encoded surrogate stays Latin-1")
        << QByteArray("\xed\xa0\x80") << QString::fromLatin1("\xed\xa0\x80");
}

void tst_WireProtocol::extendedValuesAreUtf8WhenWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, value);
    const QString decoded = QString::fromLatin1(bytes); // as decodehex leaves it
    QCOMPARE(WireText::value(decoded, WireText::Mode::Extended), value);
    // The protocol's own mode takes every value as Latin-1.
    QCOMPARE(WireText::value(decoded, WireText::Mode::Plain), decoded);
}

void tst_WireProtocol::fieldsByMode()
{
    // Class names, list entries and messages are written as the mode has them, titles as
    // UTF-8.
    const QString text = QStringLiteral("caf") + QChar(0xe9);
    QCOMPARE(Reply::exception(text, WireText::Mode::Plain), QByteArray("8,Exception : caf\xe9"));
    QCOMPARE(Reply::textList({text}, WireText::Mode::Plain), QByteArray("0,l:\x0c"
                                                                        "caf\xe9"));
    QCOMPARE(Reply::exception(text, WireText::Mode::Extended),
             QByteArray("8,Exception : caf\xc3\xa9"));
    QCOMPARE(Reply::text(text), QByteArray("0,caf\xc3\xa9"));
}

void tst_WireProtocol::messagesCut_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain: a long message keeps its first 2046 bytes")
        << QString(3000, QLatin1Char('x')) << false << QByteArray(2046, 'x');
    QTest::newRow("plain: a message ends at a NUL")
        << QStringLiteral("ab") + QChar(0) + QStringLiteral("cd") << false << QByteArray("ab");
    const QString euros = QStringLiteral("x") + QString(700, QChar(0x20ac));
    QByteArray cut("x");
    for (int i = 0; i < 681; ++i)
        cut += "\xe2\x82\xac";
    QTest::newRow("extended: the cut never splits a character") << euros << true << cut;
}

void tst_WireProtocol::messagesCut()
{
    QFETCH(QString, message);
    QFETCH(bool, extended);
    QFETCH(QByteArray, bytes);
    QCOMPARE(
        WireText::message(message, extended ? WireText::Mode::Extended : WireText::Mode::Plain),
        bytes);
}

void tst_WireProtocol::mnemonics_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstDropped");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one mnemonic") << "&Open"
                                  << "Open"
                                  << "Open";
    QTest::newRow("a doubled ampersand before the mnemonic") << "Save && &Quit"
                                                             << "Save & &Quit"
                                                             << "Save & Quit";
    QTest::newRow("a doubled ampersand after the mnemonic") << "&Tools && Options"
                                                            << "Tools && Options"
                                                            << "Tools & Options";
    QTest::newRow("none") << "Plain"
                          << "Plain"
                          << "Plain";
}

void tst_WireProtocol::mnemonics()
{
    QFETCH(QString, text);
    QFETCH(QString, firstDropped);
    QFETCH(QString, shown);
    QCOMPARE(Mnemonics::withoutMnemonic(text, WireText::Mode::Plain), firstDropped);
    QCOMPARE(Mnemonics::withoutMnemonic(text, WireText::Mode::Extended), shown);
}

TC_TEST_MAIN(tst_WireProtocol)
#include "tst_wireprotocol.moc"
