#include "controltestsupport.h"
#include "testmain.h"

#include "coordedit.h"
#include "vcfrequency.h"
#include "vcnumeric.h"

#include <QClipboard>
#include <QDateEdit>
#include <QIntValidator>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>

// An application's own editor class, served by the QPlainTextEdit proxy.
class Editor : public QPlainTextEdit
{
    Q_OBJECT
};

class tst_EntryProxies : public QObject
{
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
    void slider_data();
    void slider();
    void shortSliderSuggestsReachableValue();
    void frequency();
    void lineEditInCoveredSubWindow_data();
    void lineEditInCoveredSubWindow();
};

// A line edit ("line", "validator", "mask", "coord"), "text" edit, "plain text" edit (an
// Editor), "spin" box or "date" edit with some text in it; "empty", "read-only" or
// "activated" may precede the kind.
static QWidget *newEntry(const QString &kind)
{
    QWidget *widget;
    if (kind.endsWith(QLatin1String("plain text"))) {
        widget = new Editor;
        widget->setProperty("plainText", QStringLiteral("first\nsecond"));
    } else if (kind.endsWith(QLatin1String("text"))) {
        widget = new QTextEdit(QStringLiteral("first<br>second"));
    } else if (kind.endsWith(QLatin1String("spin"))) {
        widget = new QSpinBox;
        widget->setProperty("value", 5);
    } else if (kind.endsWith(QLatin1String("date"))) {
        widget = new QDateEdit(QDate(2020, 1, 1));
        widget->setProperty("displayFormat", QStringLiteral("yyyy-MM-dd"));
    } else {
        auto *edit = kind == QLatin1String("coord") ? new basecontrols::CoordEdit : new QLineEdit;
        edit->setText(kind == QLatin1String("coord") ? QStringLiteral("+047.000000")
                                                     : QStringLiteral("7"));
        if (kind == QLatin1String("validator"))
            edit->setValidator(new QIntValidator(0, 9999, edit));
        if (kind == QLatin1String("mask"))
            edit->setInputMask(QStringLiteral("99:99"));
        widget = edit;
    }
    if (kind.startsWith(QLatin1String("empty")))
        QMetaObject::invokeMethod(widget, "clear");
    widget->setProperty("readOnly", kind.startsWith(QLatin1String("read-only")));
    return widget;
}

void tst_EntryProxies::entry_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");

    const QString none, clear = "<Home><End><Backspace>", paste = "<Home><End><V>";
    const QString refused = "enter, QLineEdit validate error";
    QTest::newRow("empty line edit: typed into without clearing keys")
        << "empty line" << QVariant("hello") << "hello" << none << "hello";
    QTest::newRow("filled line edit: cleared, trailing line feed sent as Return")
        << "line" << QVariant("go\n") << "go" << none << clear + "go<Return>";
    QTest::newRow("read-only line edit") << "read-only line" << QVariant("x") << "7"
                                         << "enter, QLineEdit is read only" << none;
    QTest::newRow("validator judges the whole text, then Return")
        << "validator" << QVariant("42\n") << "42" << none << "<Home><End><Return>";
    QTest::newRow("validator refuses letters: old text stays, no Return")
        << "validator" << QVariant("abc\n") << "7" << refused << "<Home><End>";
    QTest::newRow("mask refuses letters, leaving its separator")
        << "mask" << QVariant("ab:cd") << ":" << refused << "<Home><End>";
    QTest::newRow("coordinate field: typed over from the start, never Return")
        << "coord" << QVariant("-012.345678\n") << "-012.345678" << none << "<Home>-012.345678";
    QTest::newRow("coordinate field: a shorter text keeps the old tail")
        << "coord" << QVariant("+1") << "+147.000000" << refused + " +147.000000"
        << "<Home>+1";
    // The line feed goes as a character of its own, which QTextEdit itself ignores.
    QTest::newRow("text edit: cleared, a line feed is no Return")
        << "text" << QVariant("new\n") << "new" << none << clear + "new\n";
    QTest::newRow("read-only text edit") << "read-only text" << QVariant("x") << "first\nsecond"
                                         << "enter, QTextEdit is read only" << none;
    QTest::newRow("plain text edit subclass: cleared as a text edit")
        << "plain text" << QVariant("new\n") << "new" << none << clear + "new\n";
    QTest::newRow("read-only plain text edit")
        << "read-only plain text" << QVariant("x") << "first\nsecond"
        << "enter, QPlainTextEdit is read only" << none;
    QTest::newRow("spin box: entered 42 is typed as 4 and 2, no Return")
        << "spin" << QVariant(42) << "42" << none << clear + "42";
    QTest::newRow("spin box: activated 17 is confirmed with Return")
        << "activated spin" << QVariant("17") << "17" << none << clear + "17<Return>";
    QTest::newRow("spin box: a bool is neither text nor number")
        << "activated spin" << QVariant(true) << "5"
        << "Type error: object \"widget\" of class \"QSpinBox\" accepts string, integer." << none;
    QTest::newRow("date: activated is confirmed with Return")
        << "activated date" << QVariant("2023-12-31") << "2023-12-31" << none << paste + "<Return>";
    QTest::newRow("read-only date") << "read-only date" << QVariant("2023-12-31") << "2020-01-01"
                                    << "enter, QDateTimeEdit is read only" << none;
    QTest::newRow("date: entered in another format is refused")
        << "date" << QVariant("15.03.2024") << "2020-01-01"
        << "enter, QDateTimeEdit validate error" << paste;
    QTest::newRow("date: activated in another format is refused without Return")
        << "activated date" << QVariant("03/15/2024") << "2020-01-01"
        << "activate, QDateTimeEdit validate error" << paste;
}

void tst_EntryProxies::entry()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QFETCH(QString, message);
    QFETCH(QString, keys);

    Hosted host(newEntry(kind));
    EventRecorder recorder({QEvent::KeyPress});
    recorder.watch(host.widget);
    QVERIFY(host.show());
    QApplication::clipboard()->clear();

    const bool activate = kind.startsWith(QLatin1String("activated"));
    QCOMPARE(request(activate ? "activate" : "enter", host.widget, value), message);
    QTRY_COMPARE(keySequence(recorder), keys);
    const bool text = kind.endsWith(QLatin1String("text"));
    QCOMPARE(host.widget->property(text ? "plainText" : "text").toString(), expected);
    // A date is pasted through the clipboard, and stays there even when it is refused.
    if (kind.endsWith(QLatin1String("date")) && !kind.startsWith(QLatin1String("read-only")))
        QCOMPARE(QApplication::clipboard()->text(), value.toString());
}

void tst_EntryProxies::slider_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");

    const QString type = "Type error: object \"widget\" of class \"QSlider\" accepts ";
    QTest::newRow("horizontal backwards from 7 to 2") << "horizontal" << 7 << QVariant(2) << "";
    QTest::newRow("inverted horizontal from 1 to 8")
        << "inverted horizontal" << 1 << QVariant(8) << "";
    QTest::newRow("vertical from 2 up to 7") << "vertical" << 2 << QVariant(7) << "";
    QTest::newRow("inverted vertical down to 9") << "inverted vertical" << 1 << QVariant(9) << "";
    QTest::newRow("one above the maximum") << "horizontal" << 3 << QVariant(11)
                                           << type + "only values in the following range: [0, 10].";
    QTest::newRow("a number as text is no integer")
        << "horizontal" << 3 << QVariant("5") << type + "integer.";
    // The mouse request takes its command without the trailing colons of other widgets.
    QTest::newRow("left mouse click lands on the handle")
        << "clicked horizontal" << 0 << QVariant("MouseClick:LeftButton") << "";
    QTest::newRow("mouse command with trailing colons")
        << "clicked horizontal" << 0 << QVariant("MouseClick:LeftButton:::")
        << "Invalid string value";
    QTest::newRow("an int is no mouse command")
        << "clicked horizontal" << 0 << QVariant(1) << type + "string, none.";
}

void tst_EntryProxies::slider()
{
    QFETCH(QString, kind);
    QFETCH(int, initial);
    QFETCH(QVariant, value);
    QFETCH(QString, message);

    const bool vertical = kind.endsWith(QLatin1String("vertical"));
    auto *slider = new QSlider(vertical ? Qt::Vertical : Qt::Horizontal);
    slider->setRange(0, 10);
    slider->setFixedSize(vertical ? QSize(20, 200) : QSize(200, 20));
    slider->setInvertedAppearance(kind.startsWith(QLatin1String("inverted")));
    slider->setValue(initial);
    QSignalSpy pressed(slider, &QSlider::sliderPressed);
    Hosted host(slider);
    QVERIFY(host.show());

    const bool mouse = kind.startsWith(QLatin1String("clicked"));
    QCOMPARE(request(mouse ? "mouse" : "activate", slider, value), message);
    QTRY_COMPARE(slider->value(), message.isEmpty() && !mouse ? value.toInt() : initial);
    // Grabbed by its handle, not moved by a click on the groove.
    QTRY_COMPARE(pressed.count(), message.isEmpty() ? 1 : 0);
}

void tst_EntryProxies::shortSliderSuggestsReachableValue()
{
    auto *slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 1000);
    slider->setFixedWidth(60);
    Hosted host(slider);
    QVERIFY(host.show());

    const QString message = request("activate", slider, 501);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Unable to display value 501, try (\\d+)$"))
            .match(message);
    QVERIFY2(match.hasMatch(), qPrintable(message));
    QCOMPARE(slider->value(), 0);
    const int suggested = match.captured(1).toInt();
    QCOMPARE(request("activate", slider, suggested), QString());
    QTRY_COMPARE(slider->value(), suggested);
}

void tst_EntryProxies::frequency()
{
    auto *frequency = new VCFrequency;
    frequency->setFrequency(121.5);
    QSignalSpy changed(frequency, &VCFrequency::frequencyChanged);
    Hosted host(frequency);
    QVERIFY(host.show());

    QCOMPARE(request("enter", frequency, QStringLiteral("145.8")), QString());
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(frequency->frequency(), 145.8);
    delete frequency->numeric();
    QCOMPARE(request("enter", frequency, QStringLiteral("1")),
             QStringLiteral("enter, VCNumeric not found"));
}

void tst_EntryProxies::lineEditInCoveredSubWindow_data()
{
    QTest::addColumn<QMdiArea::ViewMode>("viewMode");
    QTest::newRow("behind another sub-window") << QMdiArea::SubWindowView;
    QTest::newRow("on a background tab") << QMdiArea::TabbedView;
}

// The sub-window in front covers the line edit: without bringing its sub-window forward,
// the click would land in the front one and the text would go there instead.
void tst_EntryProxies::lineEditInCoveredSubWindow()
{
    QFETCH(QMdiArea::ViewMode, viewMode);

    auto *area = new QMdiArea;
    area->setViewMode(viewMode);
    area->setMinimumSize(400, 300);
    auto *edit = new QLineEdit(QStringLiteral("old"));
    QMdiSubWindow *preview = area->addSubWindow(edit);
    auto *frontEdit = new QLineEdit;
    QMdiSubWindow *front = area->addSubWindow(frontEdit);
    Hosted host(area);
    QVERIFY(host.show());
    preview->setGeometry(0, 0, 200, 100);
    front->setGeometry(0, 0, 300, 200);
    area->setActiveSubWindow(front);
    const auto coveredByFront = [&] {
        QWidget *hit = QApplication::widgetAt(edit->mapToGlobal(edit->rect().center()));
        return hit && (hit == front || front->isAncestorOf(hit));
    };
    QTRY_VERIFY(coveredByFront());

    QCOMPARE(request("enter", edit, QStringLiteral("typed")), QString());
    QTRY_COMPARE(edit->text(), QString("typed"));
    QCOMPARE(frontEdit->text(), QString());
    QCOMPARE(area->activeSubWindow(), preview);
}

TC_TEST_MAIN(tst_EntryProxies)
#include "tst_entryproxies.moc"
