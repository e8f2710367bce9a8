// Drives Qt's example programs that build their widgets in code, with no object names, by
// selectors alone, through testclient-run and the real socket.

#include "attachedapplication.h"
#include "testmain.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray hex(const QString &text)
{
    return text.toUtf8().toHex();
}

QString example(const char *path)
{
    return QStringLiteral(QT_EXAMPLES_DIR "/") + QLatin1String(path);
}

QJsonArray listing(AttachedApplication &app, const QByteArray &request)
{
    const QByteArray reply = app.request(request);
    return reply.startsWith("0,j:") ? QJsonDocument::fromJson(reply.mid(4)).array() : QJsonArray();
}

QImage image(const QByteArray &reply)
{
    return reply.startsWith("0,p:") ? QImage::fromData(QByteArray::fromHex(reply.mid(4)), "PNG")
                                    : QImage();
}

// Every address the listing gives finds its widget: the enabled state read through it is
// the one the listing reported.
void everyAddressWorks(AttachedApplication &app, const QByteArray &window)
{
    const QJsonArray widgets = listing(app, "21," + window);
    QVERIFY(widgets.size() > 3);
    for (const QJsonValue &value : widgets) {
        const QJsonObject widget = value.toObject();
        const QByteArray address = widget.value("address").toString().toUtf8();
        QCOMPARE(app.request("7," + window + "," + address + ",,enabled,"),
                 QByteArray(widget.value("enabled").toBool() ? "0,b:true" : "0,b:false"));
    }
}

} // namespace

class tst_ExtendedMode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addressBookBySelectorsAndUtf8();
    void tabDialogByWhatItShows();
    void plainLaunchKeepsToTheProtocol();
};

void tst_ExtendedMode::initTestCase()
{
    if (!drivesQt5Programs)
        QSKIP(qt5ProgramsOnly);
}

void tst_ExtendedMode::addressBookBySelectorsAndUtf8()
{
    AttachedApplication app(DriverServer::defaultPort);
    QVERIFY2(app.start(example("widgets/tutorials/addressbook/part2/part2")),
             qPrintable(app.error));
    QVERIFY(app.agent->greeting().endsWith(" extended"));

    const QJsonArray windows = listing(app, "20");
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows.first().toObject().value("class").toString(), QString("AddressBook"));
    const QByteArray window = windows.first().toObject().value("address").toString().toUtf8();
    // The program's own class rather than the title, which a program may change.
    QCOMPARE(window, QByteArray("{AddressBook}"));
    everyAddressWorks(app, window);

    const QString name = QString::fromUtf8("Zo\u00eb \u6570\u636e");
    QCOMPARE(app.request("5,{AddressBook},{QPushButton text=Add},,,"), QByteArray("0,QPushButton"));
    QCOMPARE(app.request("6,{AddressBook},{QLineEdit label=Name:},," + hex("s:" + name) + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(app.request("6,{AddressBook},{QTextEdit},," + hex("s:Stra\u00dfe 1") + ","),
             QByteArray("0,QTextEdit"));
    QTRY_COMPARE(app.request("7,{AddressBook},{QLineEdit label=Name:},,text,"), "0,u:" + hex(name));
    QCOMPARE(app.request("7,{AddressBook},{QTextEdit},,plainText,"), "0,u:" + hex("Stra\u00dfe 1"));
    QCOMPARE(app.request("7,{AddressBook},{QPushButton},,text,"),
             QByteArray("7,Widget ({QPushButton}) visible,3"));
}

void tst_ExtendedMode::tabDialogByWhatItShows()
{
    AttachedApplication app(DriverServer::defaultPort);
    QVERIFY2(app.start(example("widgets/dialogs/tabdialog/tabdialog")), qPrintable(app.error));
    everyAddressWorks(app, "Tab Dialog");

    QCOMPARE(app.request("5,Tab Dialog,{QTabWidget},," + hex("s:Permissions") + ","),
             QByteArray("0,QTabWidget"));
    // The tab page and the group box both read "Permissions": the same check box below either.
    QTRY_COMPARE(app.request("7,Tab Dialog,{text=Permissions}//{QCheckBox nth=2},,text,"),
                 "0,u:" + hex("Writable"));
    const QByteArray executable = "{QGroupBox text=Permissions}//{QCheckBox text=Executable}";
    const bool wasChecked = app.request("7,Tab Dialog," + executable + ",,checked,") == "0,b:true";
    const QByteArray wanted = wasChecked ? "b:false" : "b:true";
    QCOMPARE(app.request("5,Tab Dialog," + executable + ",," + wanted.toHex() + ","),
             QByteArray("0,QCheckBox"));
    QTRY_COMPARE(app.request("7,Tab Dialog," + executable + ",,checked,"), "0," + wanted);
    // The General tab's field is hidden now: it cannot be typed into, but still be read.
    QCOMPARE(app.request("6,Tab Dialog,{QLineEdit},," + hex("s:x") + ","),
             QByteArray("6,Widget ({QLineEdit}) not visible"));
    QCOMPARE(app.request("7,Tab Dialog,{QLineEdit},,visible,"), QByteArray("0,b:false"));

    // Screenshots are grabbed inside the program: the headless platform has them too.
    const QJsonObject dialog = listing(app, "21,Tab Dialog").first().toObject();
    const QImage whole = image(app.request("22,Tab Dialog,"));
    QCOMPARE(whole.width(), dialog.value("geometry").toArray().at(2).toInt());
    QCOMPARE(whole.height(), dialog.value("geometry").toArray().at(3).toInt());
    const QImage box = image(app.request("22,Tab Dialog,{QCheckBox text=Readable}"));
    QVERIFY(!box.isNull() && box.width() < whole.width());
    QCOMPARE(app.request("22,Tab Dialog,{QCheckBox text=Nothing}"),
             QByteArray("5,Widget ({QCheckBox text=Nothing}) not found"));
}

void tst_ExtendedMode::plainLaunchKeepsToTheProtocol()
{
    AttachedApplication app(DriverServer::defaultPort);
    app.launcherOptions << "--plain";
    QVERIFY2(app.start(example("widgets/tutorials/addressbook/part2/part2")),
             qPrintable(app.error));
    QVERIFY(!app.agent->greeting().contains("extended"));
    QCOMPARE(app.request("20"), QByteArray("8,Command not found"));
    QCOMPARE(app.request("22,Simple,"), QByteArray("8,Command not found"));
    QCOMPARE(app.request("7,Simple,{QPushButton text=Add},,text,"),
             QByteArray("5,Widget ({QPushButton text=Add}) not found"));
    QCOMPARE(app.request("7,Simple,Add_dialog_button,,text,"), "0,u:" + hex("Add"));
}

TC_TEST_MAIN(tst_ExtendedMode)
#include "tst_extendedmode.moc"
