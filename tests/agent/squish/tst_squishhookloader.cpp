#include "squish/cvornproxy.h"
#include "squish/squishhookloader.h"

#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

namespace {

const char prefixVariable[] = "SQUISH_PREFIX";
const char acceptVariable[] = "SQUISH_STANDIN_ACCEPT";

enum class Wrapper { StandIn, Missing, WithoutFunction };

// Lays out <root>/bin with the runner and/or the two libraries. Every tree gets fresh
// copies, so each case loads its own wrapper with its own call counters.
bool layOut(const QString &root, bool runner, bool libraries, Wrapper wrapper = Wrapper::StandIn)
{
    const QString bin = root + QStringLiteral("/bin");
    if (!QDir().mkpath(bin))
        return false;
    if (runner) {
        QFile file(bin + QStringLiteral("/squishrunner"));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    if (!libraries)
        return true;
    if (!QFile::copy(QStringLiteral(STANDIN_HOOK_LIBRARY), bin + "/libsquishhook.so"))
        return false;
    switch (wrapper) {
    case Wrapper::StandIn:
        return QFile::copy(QStringLiteral(STANDIN_WRAPPER_LIBRARY), bin + "/libsquishqtwrapper.so");
    case Wrapper::WithoutFunction:
        return QFile::copy(QStringLiteral(STANDIN_HOOK_LIBRARY), bin + "/libsquishqtwrapper.so");
    case Wrapper::Missing:
        break;
    }
    return true;
}

// Calls the stand-in wrapper's recorder in the copy under root (already loaded by then).
int wrapperRecord(const QString &root, const char *function)
{
    using Recorder = int (*)();
    const auto recorder = reinterpret_cast<Recorder>(
        QLibrary::resolve(root + QStringLiteral("/bin/squishqtwrapper"), function));
    return recorder ? recorder() : -1;
}

} // namespace

class TestSquishHookLoader : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void prefixHandling_data();
    void prefixHandling();
    void versionScan_data();
    void versionScan();
};

void TestSquishHookLoader::cleanup()
{
    qunsetenv(prefixVariable);
    qunsetenv(acceptVariable);
}

void TestSquishHookLoader::prefixHandling_data()
{
    // prefix: "<unset>", "<empty>" or a path below the temporary folder ("" is its root).
    // libraries: "root", "variant" (the per-variant tree only) or "" (none).
    // exportedPrefix: what SQUISH_PREFIX holds afterwards, relative to the temporary folder.
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("runner");
    QTest::addColumn<QString>("libraries");
    QTest::addColumn<int>("wrapper");
    QTest::addColumn<int>("hookVersion");
    QTest::addColumn<QString>("exportedPrefix");

    const int standIn = int(Wrapper::StandIn);
    const QString variant = "/" + wrapperVariantName();
    QTest::newRow("an unset variable loads nothing")
        << "<unset>" << true << "root" << standIn << -1 << "<unset>";
    QTest::newRow("an empty variable loads nothing")
        << "<empty>" << true << "root" << standIn << -1 << "<empty>";
    QTest::newRow("the installation folder loads the hook")
        << "" << true << "root" << standIn << 0 << "";
    QTest::newRow("the bin folder is taken one level up")
        << "/bin" << true << "root" << standIn << 0 << "/bin";
    QTest::newRow("without the runner the prefix moves up, away from the libraries")
        << "" << false << "root" << standIn << -1 << "";
    QTest::newRow("a prefix without the hook library loads nothing")
        << "" << true << "" << standIn << -1 << "";
    QTest::newRow("a per-variant tree is entered and exported")
        << "" << true << "variant" << standIn << 0 << variant;
    QTest::newRow("the bin folder moves up, then into the per-variant tree")
        << "/bin" << true << "variant" << standIn << 0 << variant;
    QTest::newRow("a missing wrapper leaves the hook version at 0")
        << "" << true << "root" << int(Wrapper::Missing) << 0 << "";
    QTest::newRow("a wrapper without the initialise function leaves 0")
        << "" << true << "root" << int(Wrapper::WithoutFunction) << 0 << "";
}

void TestSquishHookLoader::prefixHandling()
{
    QFETCH(QString, prefix);
    QFETCH(bool, runner);
    QFETCH(QString, libraries);
    QFETCH(int, wrapper);
    QFETCH(int, hookVersion);
    QFETCH(QString, exportedPrefix);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    QVERIFY(layOut(root, runner, libraries == "root", Wrapper(wrapper)));
    if (libraries == "variant")
        QVERIFY(layOut(root + "/" + wrapperVariantName(), false, true, Wrapper(wrapper)));

    if (prefix == "<empty>")
        qputenv(prefixVariable, QByteArray());
    else if (prefix != "<unset>")
        qputenv(prefixVariable, QFile::encodeName(root + prefix));

    const SquishAttachment attachment = attachSquish(wrapperVariantName());
    QScopedPointer<OxSquishProxy::CVornProxy> proxy(attachment.scriptProxy);

    QCOMPARE(attachment.hookVersion, hookVersion);
    QCOMPARE(!proxy.isNull(), hookVersion >= 0);
    if (proxy)
        QCOMPARE(proxy->objectName(), QStringLiteral("OxSquishProxy"));

    if (exportedPrefix == "<unset>")
        QVERIFY(!qEnvironmentVariableIsSet(prefixVariable));
    else if (exportedPrefix == "<empty>")
        QVERIFY(qEnvironmentVariableIsEmpty(prefixVariable));
    else
        QCOMPARE(qEnvironmentVariable(prefixVariable), root + exportedPrefix);
}

void TestSquishHookLoader::versionScan_data()
{
    QTest::addColumn<QByteArray>("accepted");
    QTest::addColumn<int>("hookVersion");
    QTest::addColumn<int>("calls");

    QTest::newRow("a version in the middle stops the scan there")
        << QByteArray("41250") << 41250 << 151;
    QTest::newRow("the first version is asked first") << QByteArray("41100") << 41100 << 1;
    QTest::newRow("the last version is still asked") << QByteArray("41299") << 41299 << 200;
    QTest::newRow("a version beyond the range is never reached") << QByteArray("41300") << 0 << 200;
    QTest::newRow("a wrapper accepting nothing leaves 0") << QByteArray() << 0 << 200;
}

void TestSquishHookLoader::versionScan()
{
    QFETCH(QByteArray, accepted);
    QFETCH(int, hookVersion);
    QFETCH(int, calls);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(layOut(dir.path(), true, true));
    qputenv(prefixVariable, QFile::encodeName(dir.path()));
    if (!accepted.isNull())
        qputenv(acceptVariable, accepted);

    const SquishAttachment attachment = attachSquish(wrapperVariantName());
    QScopedPointer<OxSquishProxy::CVornProxy> proxy(attachment.scriptProxy);

    QCOMPARE(attachment.hookVersion, hookVersion);
    QCOMPARE(wrapperRecord(dir.path(), "qtwrapper_standin_calls"), calls);
    // Ascending order without gaps: the highest version asked is the last one.
    QCOMPARE(wrapperRecord(dir.path(), "qtwrapper_standin_highest"), 41100 + calls - 1);
}

TC_TEST_MAIN(TestSquishHookLoader)
#include "tst_squishhookloader.moc"
