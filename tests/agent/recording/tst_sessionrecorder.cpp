#include "recordingtest.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolBox>
#include <QVBoxLayout>

namespace {

// A form as applications build it: named fields beside unnamed ones.
struct Form
{
    Form()
    {
        window.setObjectName("form");
        window.setWindowTitle("Recorded");
        auto *layout = new QVBoxLayout(&window);
        name = new QLineEdit;
        name->setObjectName("name");
        layout->addWidget(name);
        other = new QLineEdit;
        other->setObjectName("other");
        layout->addWidget(other);
        wrap = new QCheckBox("Wrap");
        layout->addWidget(wrap);
        colour = new QComboBox;
        colour->setObjectName("colour");
        colour->addItems({"Red", "Green", "Blue"});
        layout->addWidget(colour);
        tabs = new QTabWidget;
        tabs->setObjectName("tabs");
        tabs->addTab(new QLabel("first"), "&General");
        tabs->addTab(new QLabel("second"), "Advanced");
        layout->addWidget(tabs);
        canvas = new QWidget;
        canvas->setObjectName("canvas");
        canvas->setFixedSize(200, 100);
        layout->addWidget(canvas);
        apply = new QPushButton("Apply");
        layout->addWidget(apply);
        window.show();
        window.activateWindow();
    }
    QWidget window;
    QLineEdit *name;
    QLineEdit *other;
    QCheckBox *wrap;
    QComboBox *colour;
    QTabWidget *tabs;
    QWidget *canvas;
    QPushButton *apply;
};

// A console line as calculators and shells have it: Return sends the text and clears it.
class Console : public QPlainTextEdit
{
public:
    QString sent;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Return)
            return QPlainTextEdit::keyPressEvent(event);
        sent = toPlainText();
        clear();
    }
};

} // namespace

class tst_SessionRecorder : public RecordingTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void checkBoxKeepsTheStateItEndsIn();
    void threeStateBoxReplaysToTheStateItEndsIn();
    void typingIsOneEnterWithTheFinalText();
    void comboChoiceIsAnActivate();
    void otherClicksAreMouseCommands();
    void keysOutsideFieldsAreKeyRequests();
    void keysTakenFromFieldsFollowTheTextTypedBeforeThem();
    void slidersGroupBoxesAndToolBoxesAreActivates();
    void addressesOfAWindowThatClosesAreKept();
    void requestsOfTheAgentRecordNothing();
    void stoppedRecordsNothing();

private:
    Form *form = nullptr;
};

void tst_SessionRecorder::init()
{
    form = new Form;
    QVERIFY(QTest::qWaitForWindowExposed(&form->window));
    QCOMPARE(extended("24"), QByteArray("0,recording"));
}

void tst_SessionRecorder::cleanup()
{
    extended("25");
    delete form;
    form = nullptr;
}

void tst_SessionRecorder::checkBoxKeepsTheStateItEndsIn()
{
    // On the box, not the middle of the row, which is outside the box and its text.
    const QPoint box(8, form->wrap->height() / 2);
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    QVERIFY(form->wrap->isChecked());
    // The application unchecks it again in its slot: the step says what it ended in.
    connect(form->wrap, &QCheckBox::toggled, form->wrap, [this](bool on) {
        if (on)
            form->wrap->setChecked(false);
    });
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    const QString step = "5,Widget:form,{QCheckBox},,";
    QTRY_COMPARE_WITH_TIMEOUT(requests(),
                              (QStringList{step + hex("b:true") + ",", step + hex("b:false") + ",",
                                           step + hex("b:false") + ","}),
                              5000);
}

void tst_SessionRecorder::threeStateBoxReplaysToTheStateItEndsIn()
{
    form->wrap->setTristate(true);
    form->wrap->setCheckState(Qt::PartiallyChecked);
    const QPoint box(8, form->wrap->height() / 2);
    const QVector<Qt::CheckState> reached{Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked};
    for (Qt::CheckState state : reached) {
        QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
        QCOMPARE(form->wrap->checkState(), state);
    }
    const QString step = "5,Widget:form,{QCheckBox},,";
    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{step + hex("b:true") + ",", step + hex("b:false") + ",",
                                    step + hex("s:PartiallyChecked") + ","}));
    // Each step reaches its state from any state the box starts in.
    extended("25");
    for (int i = 0; i < recorded.size(); ++i) {
        for (Qt::CheckState start : reached) {
            form->wrap->setCheckState(start);
            QCOMPARE(extended(recorded.at(i).toUtf8()), QByteArray("0,QCheckBox"));
            QTRY_COMPARE_WITH_TIMEOUT(form->wrap->checkState(), reached.at(i), 5000);
        }
    }
}

void tst_SessionRecorder::typingIsOneEnterWithTheFinalText()
{
    QTest::mouseClick(form->name, Qt::LeftButton);
    QTest::keyClicks(form->name, "Adx");
    // A recording tool fetches the steps while the person types: that splits nothing.
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Adx") + ","});
    QTest::keyClick(form->name, Qt::Key_Backspace);
    QTest::keyClick(form->name, Qt::Key_A);
    // Still typing: the field's text so far is the last step, and fetching keeps it open.
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Ada") + ","});

    QTest::mouseClick(form->other, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->other->hasFocus(), 5000);
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Ada") + ","});

    // A field left as it was is no step.
    QTest::mouseClick(form->name, Qt::LeftButton);
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QCOMPARE(requests().size(), 2);

    // A password is never given out: the step says it is one, without the value, and the
    // address of a field without a name does not read the value it had.
    auto *pin = new QLineEdit("hunter2");
    form->window.layout()->addWidget(pin);
    QTRY_VERIFY_WITH_TIMEOUT(pin->isVisible(), 5000);
    for (QLineEdit::EchoMode mode : {QLineEdit::Password, QLineEdit::PasswordEchoOnEdit}) {
        pin->setEchoMode(mode);
        QTest::mouseClick(pin, Qt::LeftButton);
        QTest::keyClicks(pin, "hunter2");
        QTest::mouseClick(form->apply, Qt::LeftButton);
        const QByteArray reply = extended("26");
        QVERIFY2(!reply.contains(hex("hunter2").toLatin1()) && !reply.contains("hunter2"), reply);
        const QJsonArray steps = QJsonDocument::fromJson(reply.mid(4)).array();
        const QJsonObject secret = steps.at(steps.size() - 2).toObject();
        QVERIFY(secret.value("request").toString().endsWith(",,,"));
        QCOMPARE(secret.value("secret").toBool(), true);
    }
}

void tst_SessionRecorder::comboChoiceIsAnActivate()
{
    QTest::mouseClick(form->colour, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), 5000);
    QWidget *list = form->colour->view();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(form->colour->currentText(), QString("Blue"), 5000);
    QCOMPARE(requests(), QStringList{"5,Widget:form,colour,," + hex("s:Blue") + ","});
}

void tst_SessionRecorder::otherClicksAreMouseCommands()
{
    QTest::mouseClick(form->canvas, Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 75));
    QTest::mouseClick(form->canvas, Qt::RightButton, Qt::NoModifier, QPoint(1, 2));
    QCOMPARE(requests(),
             (QStringList{"9,Widget:form,canvas,," +
                              hex("s:MouseClick:LeftButton:0.2525:0.7550:ShiftModifier") + ",",
                          "9,Widget:form,canvas,," +
                              hex("s:MouseClick:RightButton:0.0075:0.0250:NoModifier") + ","}));
}

void tst_SessionRecorder::keysOutsideFieldsAreKeyRequests()
{
    QVERIFY(QTest::qWaitForWindowActive(&form->window));
    auto *save = new QAction("Save", &form->window);
    save->setShortcut(QKeySequence("Ctrl+S"));
    form->window.addAction(save);
    int saved = 0;
    connect(save, &QAction::triggered, this, [&saved] { ++saved; });

    form->apply->setFocus();
    QTest::keyClick(form->apply, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(saved, 1);
    QTest::keyClick(form->apply, Qt::Key_Escape);
    form->wrap->setFocus();
    QTest::keyClick(form->wrap, Qt::Key_Tab);
    // In a field, editing keys stay the field's; Return confirms what was typed.
    form->name->setFocus();
    QTest::keyClicks(form->name, "Ada");
    QTest::keyClick(form->name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->name, Qt::Key_Return);
    // Space clicks the button with the focus.
    form->wrap->setFocus();
    QTest::keyClick(form->wrap, Qt::Key_Space);
    QVERIFY(form->wrap->isChecked());

    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{"23,Widget:form,Apply_dialog_button,," + hex("s:Ctrl+S") + ",",
                                    "23,Widget:form,Apply_dialog_button,," + hex("s:Esc") + ",",
                                    "23,Widget:form,{QCheckBox},," + hex("s:Tab") + ",",
                                    "6,Widget:form,name,," + hex("s:Ada") + ",",
                                    "23,Widget:form,name,," + hex("s:Return") + ",",
                                    "5,Widget:form,{QCheckBox},," + hex("b:true") + ","}));

    // The shortcut's step presses it again, and that is no step.
    QCOMPARE(extended(recorded.first().toUtf8()), QByteArray("0,QPushButton"));
    QTRY_COMPARE_WITH_TIMEOUT(saved, 2, 5000);
    QCOMPARE(requests(), recorded);
}

void tst_SessionRecorder::keysTakenFromFieldsFollowTheTextTypedBeforeThem()
{
    auto *console = new Console;
    console->setObjectName("console");
    auto *notes = new QPlainTextEdit;
    notes->setObjectName("notes");
    form->window.layout()->addWidget(console);
    form->window.layout()->addWidget(notes);
    QTRY_VERIFY_WITH_TIMEOUT(notes->isVisible(), 5000); // shown once the loop comes round
    QVERIFY(QTest::qWaitForWindowActive(&form->window));
    // A shortcut pressed while typing, which clears the field it was typed into.
    auto *clear = new QAction("Clear", &form->window);
    clear->setShortcut(QKeySequence("Ctrl+K"));
    form->window.addAction(clear);
    connect(clear, &QAction::triggered, form->name, &QLineEdit::clear);
    form->name->setFocus();
    QTest::keyClicks(form->name, "Ada");
    QTest::keyClick(form->name, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(form->name->text().isEmpty());
    // Return that the program takes with the text; Return typed as a line break.
    console->setFocus();
    QTest::keyClicks(console, "12*7");
    QTest::keyClick(console, Qt::Key_Return);
    QCOMPARE(console->sent, QString("12*7"));
    notes->setFocus();
    QTest::keyClicks(notes, "one");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "two");

    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{"6,Widget:form,name,," + hex("s:Ada") + ",",
                                    "23,Widget:form,name,," + hex("s:Ctrl+K") + ",",
                                    "6,Widget:form,console,," + hex("s:12*7") + ",",
                                    "23,Widget:form,console,," + hex("s:Return") + ",",
                                    "6,Widget:form,notes,," + hex("s:one\ntwo") + ","}));
    // Replayed, the steps send the same text and type the same lines.
    extended("25");
    console->sent.clear();
    notes->clear();
    for (const QString &line : recorded.mid(2))
        QCOMPARE(extended(line.toUtf8()).left(2), QByteArray("0,"));
    QTRY_COMPARE_WITH_TIMEOUT(notes->toPlainText(), QString("one\ntwo"), 5000);
    QCOMPARE(console->sent, QString("12*7"));
}

void tst_SessionRecorder::slidersGroupBoxesAndToolBoxesAreActivates()
{
    QWidget window;
    window.setWindowTitle("Controls");
    auto *layout = new QVBoxLayout(&window);
    auto *volume = new QSlider(Qt::Horizontal);
    volume->setObjectName("volume");
    volume->setRange(0, 100);
    volume->setFixedWidth(200);
    layout->addWidget(volume);
    auto *proxy = new QGroupBox("Use a proxy");
    proxy->setObjectName("proxy");
    proxy->setCheckable(true);
    new QVBoxLayout(proxy);
    proxy->layout()->addWidget(new QLabel("host"));
    layout->addWidget(proxy);
    auto *pages = new QToolBox;
    pages->setObjectName("pages");
    pages->addItem(new QLabel("one"), "&Colours");
    pages->addItem(new QLabel("two"), "Fonts");
    layout->addWidget(pages);
    auto *day = new QDateEdit(QDate(2024, 2, 28));
    day->setObjectName("day");
    day->setDisplayFormat("yyyy-MM-dd");
    layout->addWidget(day);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Dragged from the handle to the far end, through the window as the window system
    // delivers a drag.
    QWindow *handle = window.windowHandle();
    const auto at = [volume, &window](int x) {
        return volume->mapTo(&window, QPoint(x, volume->height() / 2));
    };
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at(3));
    QTest::mouseMove(handle, at(150));
    QTest::mouseMove(handle, at(199));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, at(199));
    QCOMPARE(volume->value(), 100);
    // On the title: the check box in it.
    QTest::mouseClick(proxy, Qt::LeftButton, Qt::NoModifier,
                      QPoint(8, proxy->contentsRect().top() / 2));
    QVERIFY(!proxy->isChecked());
    QAbstractButton *fonts = pages->findChildren<QAbstractButton *>().last();
    QCOMPARE(fonts->text(), QString("Fonts"));
    QTest::mouseClick(fonts, Qt::LeftButton);
    QCOMPARE(pages->currentIndex(), 1);
    // A date edit is a field: its arrows and keys end in one enter of the text it shows.
    day->setFocus();
    QTest::keyClick(day, Qt::Key_Up);
    QCOMPARE(day->date(), QDate(2025, 2, 28));

    QTRY_COMPARE_WITH_TIMEOUT(requests(),
                              (QStringList{"5,Controls,volume,," + hex("i:100") + ",",
                                           "5,Controls,proxy,," + hex("b:false") + ",",
                                           "5,Controls,pages,," + hex("s:Fonts") + ",",
                                           "6,Controls,day,," + hex("s:2025-02-28") + ","}),
                              5000);

    // The steps bring a fresh state to the recorded one. The date edit keeps the focus until
    // then, its step still open: the focus leaves first, as the person would leave it.
    volume->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!day->hasFocus(), 5000);
    const QStringList recorded = requests();
    volume->setValue(0);
    proxy->setChecked(true);
    pages->setCurrentIndex(0);
    day->setDate(QDate(2024, 2, 28));
    for (const QString &step : recorded)
        QVERIFY2(extended(step.toUtf8()).startsWith("0,"), qPrintable(step));
    QTRY_COMPARE_WITH_TIMEOUT(volume->value(), 100, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!proxy->isChecked(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(pages->currentIndex(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(day->date(), QDate(2025, 2, 28), 5000);
    QCOMPARE(requests(), recorded);
}

void tst_SessionRecorder::addressesOfAWindowThatClosesAreKept()
{
    // Addresses are decided late: a dialog that an unnamed button closes, with text typed
    // into its unnamed field, still yields steps that find both, as the window goes.
    auto *dialog = new QDialog;
    dialog->setWindowTitle("Rename");
    auto *layout = new QVBoxLayout(dialog);
    auto *field = new QLineEdit;
    layout->addWidget(field);
    auto *ok = new QPushButton("OK");
    ok->setAutoDefault(false);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, "notes");
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    delete dialog;
    // A widget without a name deleted before its address was read leaves a comment, never a
    // wrong step.
    auto *anonymous = new QFrame(&form->window);
    anonymous->setGeometry(0, 0, 20, 20);
    anonymous->show();
    QTest::mouseClick(anonymous, Qt::LeftButton);
    delete anonymous;
    QCOMPARE(requests(),
             (QStringList{"6,Rename,{QLineEdit},," + hex("s:notes") + ",",
                          "5,Rename,Ok_dialog_button,,,",
                          "# not recorded: a step (request 9) on a widget that was gone before "
                          "its address was read"}));
}

void tst_SessionRecorder::requestsOfTheAgentRecordNothing()
{
    QCOMPARE(extended("5,Widget:form,Apply_dialog_button,,,"), QByteArray("0,QPushButton"));
    QCOMPARE(extended("5,Widget:form,{QCheckBox},," + hex("b:true").toLatin1() + ","),
             QByteArray("0,QCheckBox"));
    QCOMPARE(extended("6,Widget:form,name,," + hex("s:Grace").toLatin1() + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(extended("5,Widget:form,colour,," + hex("s:Green").toLatin1() + ","),
             QByteArray("0,QComboBox"));
    QCOMPARE(extended("5,Widget:form,tabs,," + hex("s:Advanced").toLatin1() + ","),
             QByteArray("0,QTabWidget"));
    QCOMPARE(extended("9,Widget:form,canvas,," +
                      hex("s:MouseClick:LeftButton:0.5:0.5:NoModifier").toLatin1() + ","),
             QByteArray("0,QWidget"));
    // Whatever the requests left queued has been handled by now.
    QTRY_COMPARE_WITH_TIMEOUT(form->colour->currentText(), QString("Green"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form->name->text(), QString("Grace"), 5000);
    QCoreApplication::processEvents();
    QCOMPARE(extended("26"), QByteArray("0,j:[]"));
}

void tst_SessionRecorder::stoppedRecordsNothing()
{
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QCOMPARE(extended("25"), QByteArray("0,stopped"));
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QTest::keyClicks(form->name, "late");
    // The steps stay until the next recording.
    const QByteArray reply = extended("26");
    const QJsonArray steps = QJsonDocument::fromJson(reply.mid(4)).array();
    QCOMPARE(steps.size(), 1);
    const QJsonObject step = steps.at(0).toObject();
    QCOMPARE(step.value("request").toString(), QString("5,Widget:form,Apply_dialog_button,,,"));
    QCOMPARE(step.value("window").toString(), QString("Widget:form"));
    QCOMPARE(step.value("address").toString(), QString("Apply_dialog_button"));
}

TC_TEST_MAIN(tst_SessionRecorder)
#include "tst_sessionrecorder.moc"
