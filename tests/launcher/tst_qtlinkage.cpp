// Telling a program's Qt from its ELF file before it runs: built programs with and without
// Qt, one that links Qt through a private library, and files that are no usable ELF file.

#include "qtlinkage.h"
#include "testmain.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const char qt6Designer[] = "/usr/lib/qt6/bin/designer";

} // namespace

class tst_QtLinkage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programQtMajor_data();
    void programQtMajor();
    void qtMajorOfLibrary_data();
    void qtMajorOfLibrary();

private:
    QString writeFile(const QString &name, const QByteArray &contents);

    QTemporaryDir dir;
};

void tst_QtLinkage::initTestCase()
{
    QVERIFY(dir.isValid());
}

QString tst_QtLinkage::writeFile(const QString &name, const QByteArray &contents)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return QString();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return file.fileName();
}

void tst_QtLinkage::programQtMajor_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("path"); // PATH while looking, when not empty
    QTest::addColumn<int>("major");

    QTest::newRow("a program without Qt") << ELF_WITHOUT_QT << "" << 0;
    QTest::newRow("a program linking Qt Core") << ELF_WITH_QT << "" << QT_VERSION_MAJOR;
    QTest::newRow("a program linking Qt through a private library found by $ORIGIN")
        << ELF_WITH_PRIVATE_QT << "" << QT_VERSION_MAJOR;
    QTest::newRow("a program named without a folder is looked for along PATH")
        << QFileInfo(ELF_WITH_QT).fileName() << "/nonexistent::" + QFileInfo(ELF_WITH_QT).path()
        << QT_VERSION_MAJOR;
    QTest::newRow("a program that is not on PATH") << "elfwithqt"
                                                   << "/nonexistent" << 0;
    QTest::newRow("a missing program") << "/no/such/program"
                                       << "" << 0;

    // Files the loader would refuse must not be read past their end or taken for Qt.
    QFile elf(ELF_WITH_QT);
    QVERIFY(elf.open(QIODevice::ReadOnly));
    const QByteArray image = elf.readAll();
    QTest::newRow("a script that starts a Qt program")
        << writeFile("script", "#!/bin/sh\nexec " ELF_WITH_QT "\n") << "" << 0;
    QTest::newRow("an ELF header without the rest")
        << writeFile("header", image.left(64)) << "" << 0;
    QByteArray farHeaders = image;
    farHeaders[32] = char(0xf0); // e_phoff (64-bit): the program headers far beyond the end
    farHeaders[33] = char(0xff);
    QTest::newRow("program headers beyond the end of the file")
        << writeFile("farheaders", farHeaders) << "" << 0;

    if (QFileInfo::exists(qt6Designer))
        QTest::newRow("Qt 6 Designer") << qt6Designer << "" << 6;
}

void tst_QtLinkage::programQtMajor()
{
    QFETCH(QString, program);
    QFETCH(QString, path);
    QFETCH(int, major);
    QVERIFY(!program.isEmpty());

    const QByteArray savedPath = qgetenv("PATH");
    if (!path.isEmpty())
        qputenv("PATH", path.toLocal8Bit());
    const int found = ::programQtMajor(program.toStdString());
    qputenv("PATH", savedPath);
    QCOMPARE(found, major);
}

void tst_QtLinkage::qtMajorOfLibrary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("major");

    QTest::newRow("Qt 5 Core") << "libQt5Core.so.5" << 5;
    QTest::newRow("Qt 6 Widgets, full version") << "libQt6Widgets.so.6.4.2" << 6;
    QTest::newRow("Qt 4") << "libQtCore.so.4" << 0;
    QTest::newRow("a library that only starts like Qt's") << "libqt5keychain.so.1" << 0;
    QTest::newRow("a static archive") << "libQt5Core.a" << 0;
}

void tst_QtLinkage::qtMajorOfLibrary()
{
    QFETCH(QString, name);
    QFETCH(int, major);
    QCOMPARE(::qtMajorOfLibrary(name.toStdString()), major);
}

TC_TEST_MAIN(tst_QtLinkage)
#include "tst_qtlinkage.moc"
