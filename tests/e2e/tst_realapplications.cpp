// Drives Qt's own example programs, which know nothing of the agent, through
// testclient-run and the real socket, as a new user would.

#include "attachedapplication.h"
#include "testmain.h"

#include <QSignalSpy>

namespace {

QByteArray hex(const QByteArray &text)
{
    return text.toHex();
}

// The example program at `path` below Qt's examples folder.
QString example(const char *path)
{
    return QStringLiteral(QT_EXAMPLES_DIR "/") + QLatin1String(path);
}

} // namespace

class tst_RealApplications : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void widgetGallery();
    void menusOpenDialogsAndQuit();
};

void tst_RealApplications::initTestCase()
{
    if (!drivesQt5Programs)
        QSKIP(qt5ProgramsOnly);
}

void tst_RealApplications::widgetGallery()
{
    AttachedApplication app(DriverServer::defaultPort);
    QVERIFY2(app.start(example("widgets/gallery/gallery")), qPrintable(app.error));
    QVERIFY(app.agent->pid() != app.launcher.processId());

    // The agent's own objects never show among the application's windows.
    QCOMPARE(app.request("1"),
             QByteArray("0,l:\x0cWidgetGallery : \"Widget Gallery Qt " QT_VERSION_STR "\""));
    const QByteArray tree = app.request("2,Widget Gallery");
    QVERIFY2(tree.contains("\x0c"
                           "2 V QLineEdit : \"lineEdit\""),
             tree);

    QCOMPARE(app.request("6,Widget,lineEdit,," + hex("s:Ada Lovelace") + ","),
             QByteArray("0,QLineEdit"));
    QTRY_COMPARE(app.request("7,Widget,lineEdit,,text,"), "0,u:" + hex("Ada Lovelace"));
    QCOMPARE(app.request("6,Widget,spinBox,," + hex("i:42") + ","), QByteArray("0,QSpinBox"));
    QTRY_COMPARE(app.request("7,Widget,spinBox,,value,"), QByteArray("0,i:42"));

    // The gallery's own code disables its widgets when the check box is ticked.
    QCOMPARE(app.request("7,Widget,togglePushButton,,checked,"), QByteArray("0,b:true"));
    QCOMPARE(app.request("5,Widget,togglePushButton,,,"), QByteArray("0,QPushButton"));
    QTRY_COMPARE(app.request("7,Widget,togglePushButton,,checked,"), QByteArray("0,b:false"));
    QCOMPARE(
        app.request("9,Widget,disableWidgetsCheckBox,," + hex("s:MouseClick:LeftButton:::") + ","),
        QByteArray("0,QCheckBox"));
    QTRY_COMPARE(app.request("7,Widget,lineEdit,,enabled,"), QByteArray("0,b:false"));
    QCOMPARE(app.request("6,Widget,lineEdit,," + hex("s:x") + ","),
             QByteArray("8,Exception : Error: widget \"lineEdit\" of class \"QLineEdit\" is "
                        "disabled."));
}

void tst_RealApplications::menusOpenDialogsAndQuit()
{
    AttachedApplication app(DriverServer::defaultPort);
    QVERIFY2(app.start(example("widgets/widgets/stylesheet/stylesheet")), qPrintable(app.error));
    QCOMPARE(app.request("7,Style Sheet,menubar,,itemList,"),
             QByteArray("0,l:\fFile/Edit Style...\fFile/Exit\fHelp/About\fHelp/About Qt"));

    // About runs a message box's own event loop: the reply has left before it opens.
    QCOMPARE(app.request("5,Style Sheet,menubar,," + hex("s:Help/About") + ","),
             QByteArray("0,QMenuBar"));
    QTRY_COMPARE(app.request("8,About Style sheet"), QByteArray("0,About Style sheet"));
    QCOMPARE(app.request("8,Style Sheet"), QByteArray("4,Window (Style Sheet) not active modal"));
    QCOMPARE(app.request("5,About Style sheet,Ok_dialog_button,,,"), QByteArray("0,QPushButton"));
    QTRY_COMPARE(app.request("8,About"), QByteArray("2,Window (About) not found"));

    QCOMPARE(app.request("5,Style Sheet,menubar,," + hex("s:File/Edit Style...") + ","),
             QByteArray("0,QMenuBar"));
    QTRY_COMPARE(app.request("8,Style Editor"), QByteArray("0,Style Editor"));

    QSignalSpy disconnected(app.agent->socket(), &QAbstractSocket::disconnected);
    QCOMPARE(app.request("5,Style Sheet,menubar,," + hex("s:File/Exit") + ","),
             QByteArray("0,QMenuBar"));
    QTRY_COMPARE(disconnected.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(app.launcher.state(), QProcess::NotRunning, 10000);
    QCOMPARE(app.launcher.exitCode(), 0);
}

TC_TEST_MAIN(tst_RealApplications)
#include "tst_realapplications.moc"
