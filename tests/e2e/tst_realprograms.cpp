// Drives a real program from Debian, unmodified, as a tester would: Qt Linguist's trees
// with their hidden first column (Qt Designer of both Qts is driven by the Python client's
// test_qt_versions, SpeedCrunch's own editor classes by the WebDriver server's
// test_selenium). Linguist is the build's Qt's (Qt 5's from qttools5-dev-tools, Qt 6's from
// qt6-tools-dev-tools). The test is skipped, naming the package, where the program is not
// installed (scripts/install-deps.sh installs it).

#include "attachedapplication.h"
#include "testmain.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

QByteArray hex(const QString &text)
{
    return text.toUtf8().toHex();
}

// The text a "u:" reply carries, or the reply itself when it is something else.
QString text(const QByteArray &reply)
{
    return reply.startsWith("0,u:") ? QString::fromUtf8(QByteArray::fromHex(reply.mid(4)))
                                    : QString::fromUtf8(reply);
}

// A home of its own, so that no setting or history of an earlier run shows up.
QStringList freshHome(const QTemporaryDir &home)
{
    return {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.filePath("config"),
            "XDG_DATA_HOME=" + home.filePath("data"), "XDG_CACHE_HOME=" + home.filePath("cache")};
}

#if QT_VERSION_MAJOR == 5
#define QT_TOOLS_PACKAGE "qttools5-dev-tools"
#else
#define QT_TOOLS_PACKAGE "qt6-tools-dev-tools"
#endif

const char translations[] = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message><source>Quit</source><translation type="unfinished"></translation></message>
    <message><source>Open</source><translation type="unfinished"></translation></message>
    <message><source>Save</source><translation type="unfinished"></translation></message>
</context>
<context>
    <name>Dialog</name>
    <message><source>Cancel</source><translation type="unfinished"></translation></message>
</context>
</TS>
)";

} // namespace

class tst_RealPrograms : public QObject
{
    Q_OBJECT

private slots:
    void linguistOpensAContext();
};

void tst_RealPrograms::linguistOpensAContext()
{
    const QString program = QStringLiteral(QT_BINS_DIR "/linguist");
    if (!QFileInfo(program).isExecutable())
        QSKIP("Qt Linguist is not installed (Debian package " QT_TOOLS_PACKAGE ")");
    QTemporaryDir home;
    QFile file(home.filePath("sample_de.ts"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(translations);
    file.close();
    AttachedApplication app(DriverServer::defaultPort);
    QVERIFY2(app.start(program, freshHome(home), {file.fileName()}), qPrintable(app.error));

    const QByteArray contexts = "{QMainWindow},ContextDockWidget//{QTreeView}";
    const QByteArray messages = "{QMainWindow},StringsDockWidget//{QTreeView}";
    // The items are named by the columns that show; a context's row reads "MainWindow:0/3",
    // its '/' escaped in the extended mode's paths.
    QTRY_COMPARE(app.request("5," + contexts + ",," + hex("s:MainWindow") + ","),
                 QByteArray("0,QTreeView"));
    QTRY_COMPARE(text(app.request("7," + contexts + ",,currentPath,")),
                 QString("MainWindow:0\\/3"));
    // The message view shows the context's messages below its root index.
    QTRY_COMPARE(app.request("7," + messages + ",QAbstractItemView,rowCount,"),
                 QByteArray("0,i:3"));
    QCOMPARE(app.request("5," + messages + ",," + hex("s:Save") + ","), QByteArray("0,QTreeView"));
    QTRY_COMPARE(text(app.request("7," + messages + ",,currentPath,")), QString("Save"));
}

TC_TEST_MAIN(tst_RealPrograms)
#include "tst_realprograms.moc"
