#include "controltestsupport.h"
#include "testmain.h"

#include "coordedit.h"
#include "vcfrequency.h"
#include "vcnumeric.h"

#include <QClipboard>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>

class TestEntryProxies : public QObject
{
    Q_OBJECT

private slots:
    void lineEdit_data();
    void lineEdit();
    void lineEditDeletedByItsClick();
    void textEdit();
    void spinBox_data();
    void spinBox();
    void dateEdit_data();
    void dateEdit();
    void slider_data();
    void slider();
    void shortSliderSuggestsReachableValue();
    void sliderMouse_data();
    void sliderMouse();
    void frequency();
};

void TestEntryProxies::lineEdit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("returns");
    QTest::addColumn<int>("backspaces");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty edit is typed into without clearing keys")
        << "plain"
        << "" << QVariant("hello") << "hello" << 0 << 0 << "";
    QTest::newRow("filled edit is cleared before typing")
        << "plain"
        << "old" << QVariant("new") << "new" << 0 << 1 << "";
    QTest::newRow("trailing line feed is sent as Return")
        << "plain"
        << "old" << QVariant("go\n") << "go" << 1 << 1 << "";
    QTest::newRow("an int is no text")
        << "plain"
        << "old" << QVariant(12) << "old" << 0 << 0
        << "Type error: object \"widget\" of class \"QLineEdit\" accepts string.";
    QTest::newRow("read-only edit refuses text")
        << "read-only"
        << "old" << QVariant("x") << "old" << 0 << 0 << "enter, QLineEdit is read only";
    QTest::newRow("validator accepts a number whole")
        << "validator"
        << "7" << QVariant("42\n") << "42" << 1 << 0 << "";
    QTest::newRow("validator refuses letters and the old text stays")
        << "validator"
        << "7" << QVariant("abc\n") << "7" << 0 << 0 << "enter, QLineEdit validate error";
    QTest::newRow("mask accepts a matching text")
        << "mask"
        << "12:00" << QVariant("09:45") << "09:45" << 0 << 0 << "";
    QTest::newRow("mask refuses letters and leaves only its separator")
        << "mask"
        << "12:00" << QVariant("ab:cd") << ":" << 0 << 0 << "enter, QLineEdit validate error";
    QTest::newRow("coordinate field is overwritten from the start without Return")
        << "coord"
        << "+047.000000" << QVariant("-012.345678\n") << "-012.345678" << 0 << 0 << "";
    QTest::newRow("coordinate field keeps the old tail of a shorter text")
        << "coord"
        << "+047.000000" << QVariant("+1") << "+147.000000" << 0 << 0
        << "enter, QLineEdit validate error +147.000000";
}

void TestEntryProxies::lineEdit()
{
    QFETCH(QString, kind);
    QFETCH(QString, initial);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QFETCH(int, returns);
    QFETCH(int, backspaces);
    QFETCH(QString, message);

    auto *edit = kind == QLatin1String("coord") ? new basecontrols::CoordEdit : new QLineEdit;
    edit->setText(initial);
    edit->setReadOnly(kind == QLatin1String("read-only"));
    if (kind == QLatin1String("validator"))
        edit->setValidator(new QIntValidator(0, 9999, edit));
    if (kind == QLatin1String("mask"))
        edit->setInputMask(QStringLiteral("99:99"));
    QSignalSpy returnPressed(edit, &QLineEdit::returnPressed);
    EventRecorder keys({QEvent::KeyPress});
    keys.watch(edit);
    Hosted host(edit);
    QVERIFY(host.show());

    QCOMPARE(request("enter", edit, value), message);
    deliverPostedInput();
    QTRY_COMPARE(returnPressed.count(), returns);
    QCOMPARE(edit->text(), expected);
    QCOMPARE(keyPresses(keys, Qt::Key_Backspace), backspaces);
    if (kind == QLatin1String("plain") && message.isEmpty())
        QCOMPARE(typedText(keys), expected);
}

void TestEntryProxies::lineEditDeletedByItsClick()
{
    // Like a field that closes its form when clicked: gone before typing could start.
    QPointer<QLineEdit> edit = new QLineEdit;
    class DeleteOnPress : public QObject
    {
    public:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::MouseButtonPress)
                QMetaObject::invokeMethod(
                    watched, [watched] { delete watched; }, Qt::QueuedConnection);
            return false;
        }
    } deleter;
    edit->installEventFilter(&deleter);
    Hosted host(edit);
    QVERIFY(host.show());

    QCOMPARE(request("enter", edit, QStringLiteral("text")),
             QStringLiteral("Internal error, proxy without widget"));
    QVERIFY(edit.isNull());
}

void TestEntryProxies::textEdit()
{
    auto *edit = new QTextEdit;
    edit->setPlainText(QStringLiteral("first\nsecond"));
    EventRecorder keys({QEvent::KeyPress});
    keys.watch(edit);
    Hosted host(edit);
    QVERIFY(host.show());

    QCOMPARE(request("enter", edit, QStringLiteral("one\ntwo")), QString());
    QTRY_COMPARE(typedText(keys), QStringLiteral("one\ntwo"));
    // The line feed travels as a character of its own, never as the Return key.
    QCOMPARE(keyPresses(keys, Qt::Key_Return), 0);
    QCOMPARE(keyPresses(keys, Qt::Key_Backspace), 1);
    QVERIFY(!edit->toPlainText().contains(QLatin1String("first")));

    edit->setReadOnly(true);
    QCOMPARE(request("enter", edit, QStringLiteral("x")),
             QStringLiteral("enter, QTextEdit is read only"));
}

void TestEntryProxies::spinBox_data()
{
    QTest::addColumn<bool>("floating");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("returns");
    QTest::addColumn<QString>("message");

    QTest::newRow("entered int 42 is typed as 4 and 2 without Return")
        << false << "enter" << QVariant(42) << 42.0 << 0 << "";
    QTest::newRow("activated text 17 is confirmed with Return")
        << false << "activate" << QVariant("17") << 17.0 << 1 << "";
    QTest::newRow("double spin box takes a decimal text")
        << true << "enter" << QVariant("2.5") << 2.5 << 0 << "";
    QTest::newRow("a bool is neither text nor number")
        << false << "activate" << QVariant(true) << 5.0 << 0
        << "Type error: object \"widget\" of class \"QSpinBox\" accepts string, integer.";
}

void TestEntryProxies::spinBox()
{
    QFETCH(bool, floating);
    QFETCH(QString, operation);
    QFETCH(QVariant, value);
    QFETCH(double, expected);
    QFETCH(int, returns);
    QFETCH(QString, message);

    QAbstractSpinBox *box = floating ? static_cast<QAbstractSpinBox *>(new QDoubleSpinBox)
                                     : static_cast<QAbstractSpinBox *>(new QSpinBox);
    box->setProperty("value", 5);
    EventRecorder keys({QEvent::KeyPress});
    keys.watch(box);
    Hosted host(box);
    QVERIFY(host.show());

    QCOMPARE(request(qPrintable(operation), box, value), message);
    deliverPostedInput();
    QTRY_COMPARE(keyPresses(keys, Qt::Key_Return), returns);
    QCOMPARE(box->property("value").toDouble(), expected);
    if (message.isEmpty())
        QCOMPARE(typedText(keys), value.toString());
}

void TestEntryProxies::dateEdit_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<int>("returns");
    QTest::addColumn<QString>("message");

    const QDate unchanged(2020, 1, 1);
    QTest::newRow("entered date in the display format")
        << "enter" << QVariant("2024-03-15") << QDate(2024, 3, 15) << 0 << "";
    QTest::newRow("activated date is confirmed with Return")
        << "activate" << QVariant("2023-12-31") << QDate(2023, 12, 31) << 1 << "";
    QTest::newRow("entered date in another format is refused")
        << "enter" << QVariant("15.03.2024") << unchanged << 0
        << "enter, QDateTimeEdit validate error";
    QTest::newRow("activated date in another format is refused without Return")
        << "activate" << QVariant("03/15/2024") << unchanged << 0
        << "activate, QDateTimeEdit validate error";
    QTest::newRow("an int is no date")
        << "enter" << QVariant(20240315) << unchanged << 0
        << "Type error: object \"widget\" of class \"QDateEdit\" accepts string.";
}

void TestEntryProxies::dateEdit()
{
    QFETCH(QString, operation);
    QFETCH(QVariant, value);
    QFETCH(QDate, expected);
    QFETCH(int, returns);
    QFETCH(QString, message);

    auto *edit = new QDateEdit(QDate(2020, 1, 1));
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    EventRecorder keys({QEvent::KeyPress});
    keys.watch(edit);
    Hosted host(edit);
    QVERIFY(host.show());
    QApplication::clipboard()->clear();

    QCOMPARE(request(qPrintable(operation), edit, value), message);
    deliverPostedInput();
    QTRY_COMPARE(keyPresses(keys, Qt::Key_Return), returns);
    QCOMPARE(edit->date(), expected);
    if (value.type() == QVariant::String)
        QCOMPARE(QApplication::clipboard()->text(), value.toString());
}

static QSlider *newSlider(Qt::Orientation orientation, int length, int maximum)
{
    auto *slider = new QSlider(orientation);
    slider->setRange(0, maximum);
    if (orientation == Qt::Horizontal)
        slider->setFixedWidth(length);
    else
        slider->setFixedHeight(length);
    return slider;
}

void TestEntryProxies::slider_data()
{
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QVariant>("target");
    QTest::addColumn<QString>("message");

    const Qt::Orientation across = Qt::Horizontal;
    const Qt::Orientation upright = Qt::Vertical;
    QTest::newRow("horizontal from the minimum to the middle")
        << across << false << 0 << QVariant(5) << "";
    QTest::newRow("horizontal backwards from 7 to 2") << across << false << 7 << QVariant(2) << "";
    QTest::newRow("horizontal up to the maximum") << across << false << 3 << QVariant(10) << "";
    QTest::newRow("inverted horizontal from 1 to 8") << across << true << 1 << QVariant(8) << "";
    QTest::newRow("vertical from the bottom to the top")
        << upright << false << 0 << QVariant(10) << "";
    QTest::newRow("vertical from the top to the bottom")
        << upright << false << 10 << QVariant(0) << "";
    QTest::newRow("vertical from a quarter to three quarters")
        << upright << false << 2 << QVariant(7) << "";
    QTest::newRow("inverted vertical down to 9") << upright << true << 1 << QVariant(9) << "";
    QTest::newRow("one above the maximum")
        << across << false << 3 << QVariant(11)
        << "Type error: object \"widget\" of class \"QSlider\" accepts only values in the "
           "following range: [0, 10].";
    QTest::newRow("one below the minimum")
        << upright << false << 3 << QVariant(-1)
        << "Type error: object \"widget\" of class \"QSlider\" accepts only values in the "
           "following range: [0, 10].";
    QTest::newRow("a number as text is no integer")
        << across << false << 3 << QVariant("5")
        << "Type error: object \"widget\" of class \"QSlider\" accepts integer.";
}

void TestEntryProxies::slider()
{
    QFETCH(Qt::Orientation, orientation);
    QFETCH(bool, inverted);
    QFETCH(int, initial);
    QFETCH(QVariant, target);
    QFETCH(QString, message);

    QSlider *slider = newSlider(orientation, 200, 10);
    slider->setInvertedAppearance(inverted);
    slider->setValue(initial);
    QSignalSpy pressed(slider, &QSlider::sliderPressed);
    Hosted host(slider);
    QVERIFY(host.show());

    QCOMPARE(request("activate", slider, target), message);
    QTRY_COMPARE(slider->value(), message.isEmpty() ? target.toInt() : initial);
    // Grabbed by its handle, not moved by a click on the groove.
    QCOMPARE(pressed.count(), message.isEmpty() ? 1 : 0);
}

void TestEntryProxies::shortSliderSuggestsReachableValue()
{
    QSlider *slider = newSlider(Qt::Horizontal, 60, 1000);
    Hosted host(slider);
    QVERIFY(host.show());

    const QString message = request("activate", slider, 501);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Unable to display value 501, try (\\d+)$"))
            .match(message);
    QVERIFY2(match.hasMatch(), qPrintable(message));
    QCOMPARE(slider->value(), 0);

    const int suggested = match.captured(1).toInt();
    QVERIFY(suggested != 501);
    QCOMPARE(request("activate", slider, suggested), QString());
    QTRY_COMPARE(slider->value(), suggested);
}

void TestEntryProxies::sliderMouse_data()
{
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("message");

    QTest::newRow("left click on the handle at the minimum")
        << QVariant("MouseClick:LeftButton") << QStringList{"press left", "release left"} << "";
    QTest::newRow("no command does nothing") << QVariant() << QStringList() << "";
    QTest::newRow("trailing colons are not accepted")
        << QVariant("MouseClick:LeftButton:::") << QStringList() << "Invalid string value";
    QTest::newRow("an int is no command")
        << QVariant(1) << QStringList()
        << "Type error: object \"widget\" of class \"QSlider\" accepts string, none.";
}

void TestEntryProxies::sliderMouse()
{
    QFETCH(QVariant, command);
    QFETCH(QStringList, events);
    QFETCH(QString, message);

    QSlider *slider = newSlider(Qt::Horizontal, 200, 10);
    QSignalSpy pressed(slider, &QSlider::sliderPressed);
    EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
    recorder.watch(slider);
    Hosted host(slider);
    QVERIFY(host.show());

    QCOMPARE(request("mouse", slider, command), message);
    deliverPostedInput();
    QTRY_COMPARE(recorder.count(), events.size());
    QCOMPARE(mouseSequence(recorder), events);
    QCOMPARE(pressed.count(), events.isEmpty() ? 0 : 1);
}

void TestEntryProxies::frequency()
{
    auto *frequency = new VCFrequency;
    frequency->setFrequency(121.5);
    QSignalSpy changed(frequency, &VCFrequency::frequencyChanged);
    Hosted host(frequency);
    QVERIFY(host.show());

    QCOMPARE(request("enter", frequency, QStringLiteral("145.8")), QString());
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(frequency->frequency(), 145.8);
    QCOMPARE(frequency->numeric()->text(), QStringLiteral("145.800"));

    QCOMPARE(
        request("enter", frequency, 145),
        QStringLiteral("Type error: object \"widget\" of class \"VCFrequency\" accepts string."));
    delete frequency->numeric();
    QCOMPARE(request("enter", frequency, QStringLiteral("1")),
             QStringLiteral("enter, VCNumeric not found"));
}

TC_TEST_MAIN(TestEntryProxies)
#include "tst_entryproxies.moc"
