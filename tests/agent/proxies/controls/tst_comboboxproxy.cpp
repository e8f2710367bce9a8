#include "controltestsupport.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

class tst_ComboBoxProxy : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void requests_data();
    void requests();
};

void tst_ComboBoxProxy::cleanup()
{
    // A failed row must not leave its list open for the next one.
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void tst_ComboBoxProxy::requests_data()
{
    QTest::addColumn<bool>("editable");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");

    // Items: Red, Green, Blue, Green, Cyan.
    const QString activate = "activate", enter = "enter", none;
    QTest::newRow("list: index 3 from 1 is two steps down, then Return")
        << false << 1 << activate << QVariant(3) << 3 << "Green" << none
        << "<Click><Down><Down><Return>";
    QTest::newRow("list: Blue from Cyan is two steps up")
        << false << 4 << activate << QVariant("Blue") << 2 << "Blue" << none
        << "<Click><Up><Up><Return>";
    QTest::newRow("list: of two items Green the first is chosen")
        << false << 4 << activate << QVariant("Green") << 1 << "Green" << none
        << "<Click><Up><Up><Up><Return>";
    QTest::newRow("list: the current item asked for, nothing happens at all")
        << false << 2 << activate << QVariant("Blue") << 2 << "Blue" << none << none;
    QTest::newRow("list: no current item, index 0 needs no arrow key")
        << false << -1 << activate << QVariant(0) << 0 << "Red" << none << "<Click><Return>";
    QTest::newRow("list: index equal to the count")
        << false << 1 << activate << QVariant(5) << 1 << "Green"
        << "activate, QComboBox invalid index 5" << none;
    QTest::newRow("list: an unknown text")
        << false << 1 << activate << QVariant("blue") << 1 << "Green"
        << "activate, QComboBox unknown item blue" << none;
    QTest::newRow("list: nothing can be typed")
        << false << 1 << enter << QVariant("Red") << 1 << "Green"
        << "enter, QComboBox is read only" << none;
    QTest::newRow("editable: Up first, then down to index 3, no Return")
        << true << 1 << activate << QVariant(3) << 3 << "Green" << none
        << "<Click><Up><Down><Down><Down>";
    QTest::newRow("editable: the current item is walked to all the same")
        << true << 2 << activate << QVariant("Blue") << 2 << "Blue" << none << "<Click><Up><Down>";
    QTest::newRow("editable: typed text replaces the old one, no Return")
        << true << 1 << enter << QVariant("Purple") << 1 << "Purple" << none
        << "<Click><Home><End><Backspace>Purple";
}

void tst_ComboBoxProxy::requests()
{
    QFETCH(bool, editable);
    QFETCH(int, initial);
    QFETCH(QString, operation);
    QFETCH(QVariant, value);
    QFETCH(int, current);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, keys);

    auto *box = new QComboBox;
    box->addItems({"Red", "Green", "Blue", "Green", "Cyan"});
    box->setEditable(editable);
    box->setCurrentIndex(initial);
    Hosted host(box);
    QVERIFY(host.show());

    // Keys reach the open list of a plain box, the box or its line edit when editable.
    EventRecorder recorder({QEvent::MouseButtonPress, QEvent::KeyPress});
    recorder.watch(box);
    recorder.watch(box->view());
    if (box->lineEdit())
        recorder.watch(box->lineEdit());

    QCOMPARE(request(operation, box, value), message);
    QTRY_COMPARE(keySequence(recorder), keys);
    QTRY_VERIFY(!box->view()->isVisible());
    QCOMPARE(box->currentIndex(), current);
    QCOMPARE(box->currentText(), text);
}

TC_TEST_MAIN(tst_ComboBoxProxy)
#include "tst_comboboxproxy.moc"
