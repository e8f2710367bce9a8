#include "controltestsupport.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>

class TestDialogProxies : public QObject
{
    Q_OBJECT

private slots:
    void fileDialog_data();
    void fileDialog();
    void fileDialogWithoutNameField();
    void statusBar_data();
    void statusBar();
};

void TestDialogProxies::fileDialog_data()
{
    QTest::addColumn<QString>("prefilled");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("directory");

    // The dialog starts in a fresh directory holding old.txt and the directory reports.
    const QString none;
    QTest::newRow("empty field: typed without clearing keys, then accepted")
        << none << QVariant("new.txt") << none << "<Click><Click>new.txt<Return>"
        << "new.txt"
        << ".";
    QTest::newRow("pre-filled name: cleared first")
        << "old.txt" << QVariant("new.txt") << none
        << "<Click><Click><Home><End><Backspace>new.txt<Return>"
        << "new.txt"
        << ".";
    QTest::newRow("a directory: the dialog changes into it and stays open")
        << none << QVariant("reports") << none << "<Click><Click>reports<Return>" << none
        << "reports";
    QTest::newRow("an int is no file name")
        << none << QVariant(1)
        << "Type error: object \"widget\" of class \"QFileDialog\" "
           "accepts string."
        << none << none << ".";
}

void TestDialogProxies::fileDialog()
{
    QFETCH(QString, prefilled);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, accepted);
    QFETCH(QString, directory);

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QDir dir(temporary.path());
    QVERIFY(dir.mkdir(QStringLiteral("reports")));
    QFile old(dir.filePath(QStringLiteral("old.txt")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();

    QFileDialog dialog(nullptr, QStringLiteral("Save report"), dir.path());
    dialog.setObjectName(QStringLiteral("widget"));
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
    QCOMPARE(request("activate", &dialog, value), message);
    QTRY_COMPARE(keySequence(recorder), keys);
    if (accepted.isEmpty()) {
        QVERIFY(dialog.isVisible());
    } else {
        QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedFiles(), QStringList(dir.filePath(accepted)));
    }
    QCOMPARE(QDir(dialog.directory()).canonicalPath(),
             QDir(dir.filePath(directory)).canonicalPath());
}

void TestDialogProxies::fileDialogWithoutNameField()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setObjectName("renamed");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(request("activate", &dialog, QStringLiteral("a.txt")),
             QStringLiteral("activate, fileNameEdit not found"));
}

void TestDialogProxies::statusBar_data()
{
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("a lasting message stays") << 0 << false << "Saved"
                                             << "Saved";
    QTest::newRow("a timed message is gone after its time") << 20 << false << "Saved"
                                                            << "";
    QTest::newRow("a cleared message is gone") << 0 << true << "Saved"
                                               << "";
}

void TestDialogProxies::statusBar()
{
    QFETCH(int, timeout);
    QFETCH(bool, cleared);
    QFETCH(QString, before);
    QFETCH(QString, after);

    QStatusBar bar;
    STApplicationProxy registry;
    const auto message = [&] {
        return registry.getProxyProperty(&bar, QString(), "currentMessage", QVariant()).toString();
    };
    QCOMPARE(message(), QString());
    bar.showMessage(QStringLiteral("Saved"), timeout);
    QCOMPARE(message(), before);
    if (cleared)
        bar.clearMessage();
    QTRY_COMPARE(message(), after);
    QCOMPARE(registry.getProxyProperty(&bar, QString(), "pseudoPropertyNames", QVariant())
                 .toStringList()
                 .mid(5),
             QStringList("currentMessage"));
}

TC_TEST_MAIN(TestDialogProxies)
#include "tst_dialogproxies.moc"
