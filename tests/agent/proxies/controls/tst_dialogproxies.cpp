#include "controltestsupport.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>

class tst_DialogProxies : public QObject
{
    Q_OBJECT

private slots:
    void fileDialog_data();
    void fileDialog();
    void statusBar_data();
    void statusBar();
};

void tst_DialogProxies::fileDialog_data()
{
    QTest::addColumn<QString>("prefilled");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("path");

    // The dialog starts in a fresh directory holding the directory reports.
    QTest::newRow("empty field: typed without clearing keys, then accepted")
        << QString() << "new.txt"
        << "<Click><Click>new.txt<Return>" << true << "new.txt";
    QTest::newRow("pre-filled name: cleared first")
        << "old.txt"
        << "new.txt"
        << "<Click><Click><Home><End><Backspace>new.txt<Return>" << true << "new.txt";
    QTest::newRow("a directory: the dialog changes into it and stays open")
        << QString() << "reports"
        << "<Click><Click>reports<Return>" << false << "reports";
}

void tst_DialogProxies::fileDialog()
{
    QFETCH(QString, prefilled);
    QFETCH(QString, value);
    QFETCH(QString, keys);
    QFETCH(bool, accepted);
    QFETCH(QString, path);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QDir dir(temporary.path());
    QVERIFY(dir.mkdir(QStringLiteral("reports")));

    QFileDialog dialog(nullptr, QStringLiteral("Save report"), dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!prefilled.isEmpty())
        dialog.selectFile(prefilled);
    auto *nameEdit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(nameEdit);
    QCOMPARE(nameEdit->text(), prefilled);
    QVERIFY(showActive(&dialog));

    EventRecorder recorder({QEvent::MouseButtonPress, QEvent::KeyPress});
    recorder.watch(nameEdit);
    // Once the name matches an entry, the completion list opens and takes the keys.
    recorder.watch(nameEdit->completer()->popup());
    QCOMPARE(request("activate", &dialog, value), QString());
    QTRY_COMPARE(keySequence(recorder), keys);
    if (accepted) {
        QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedFiles(), QStringList(dir.filePath(path)));
    } else {
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(dialog.directory()).canonicalPath(),
                 QDir(dir.filePath(path)).canonicalPath());
    }
}

void tst_DialogProxies::statusBar_data()
{
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>("after");

    QTest::newRow("a lasting message stays") << 0 << "Saved";
    QTest::newRow("a timed message is gone after its time") << 20 << "";
}

void tst_DialogProxies::statusBar()
{
    QFETCH(int, timeout);
    QFETCH(QString, after);

    QStatusBar bar;
    STApplicationProxy registry{agentProxyTable()};
    const auto message = [&] {
        return registry.getProxyProperty(&bar, QString(), "currentMessage", QVariant()).toString();
    };
    QCOMPARE(message(), QString());
    bar.showMessage(QStringLiteral("Saved"), timeout);
    QCOMPARE(message(), QStringLiteral("Saved"));
    QTRY_COMPARE(message(), after);
}

TC_TEST_MAIN(tst_DialogProxies)
#include "tst_dialogproxies.moc"
