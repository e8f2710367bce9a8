// Input that cannot reach the widget it is meant for fails the request instead of landing
// elsewhere, and input that can reach it after scrolling or waiting does. The cases that
// need a real program (a field without focus, a focus thief, a sliding panel) are driven
// end to end in tests/e2e/tst_deliveredinput.cpp.

#include "../controls/controltestsupport.h"
#include "protocol/wiretext.h"
#include "proxies/framework/stwidgetproxy.h"

#include "testmain.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Swallows every key press of the application before any widget sees it, as a global
// shortcut handler would.
class KeyEater : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::KeyPress;
    }
};

// Two line edits side by side: "field", the one a request types into, and "other".
struct TwoFields
{
    TwoFields()
    {
        auto *layout = new QVBoxLayout(&window);
        field.setObjectName(QStringLiteral("field"));
        other.setObjectName(QStringLiteral("other"));
        layout->addWidget(&field);
        layout->addWidget(&other);
        window.setWindowTitle(QStringLiteral("Fields"));
    }
    QWidget window;
    QLineEdit field{&window};
    QLineEdit other{&window};
};

// A window around one widget of no class of its own that takes the focus (a display, an
// editor like QScintilla's): typing into it goes through the plain widget proxy.
struct FocusableWidget
{
    explicit FocusableWidget(const char *name) : widget(new QWidget(&window))
    {
        widget->setObjectName(QLatin1String(name));
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->setMinimumSize(40, 20);
        (new QVBoxLayout(&window))->addWidget(widget);
    }
    QWidget window;
    QWidget *widget;
};

} // namespace

class tst_InputDelivery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Read once by the agent: failures that wait for the window system end sooner.
        qputenv("TESTCLIENT_INPUT_TIMEOUT_MS", "300");
    }

    void init() { QCursor::setPos(5000, 5000); }

    void keysWhenTheWindowNeverBecomesActive()
    {
        TwoFields form;
        form.window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        QApplication::setActiveWindow(nullptr);

        QCOMPARE(request("enter", &form.field, QStringLiteral("x")),
                 "Error: the keys for widget \"field\" of class \"QLineEdit\" would go nowhere: "
                 "its window did not become active within 300 ms (another application has the "
                 "keyboard focus)");
    }

    void keysThatTheApplicationSwallows()
    {
        TwoFields form;
        QVERIFY(showActive(&form.window));
        KeyEater eater;
        qApp->installEventFilter(&eater);
        const QString message = request("enter", &form.field, QStringLiteral("x"));
        qApp->removeEventFilter(&eater);
        QCOMPARE(message, "Error: widget \"field\" of class \"QLineEdit\" did not receive a key "
                          "sent to it (a shortcut or an event filter of the application took it)");
    }

    void keysThatAShortcutTakes()
    {
        // A display that takes the focus but no text, in a window whose shortcut "5" does the
        // typing (a calculator's): the failure names the shortcut and how to trigger it.
        FocusableWidget display("display");
        auto *five = new QAction(QStringLiteral("Five"), &display.window);
        five->setShortcut(QKeySequence(QStringLiteral("5")));
        display.window.addAction(five);
        QVERIFY(showActive(&display.window));
        QCOMPARE(request("type", display.widget, QStringLiteral("5")),
                 "Error: widget \"display\" of class \"QWidget\" did not receive a key sent to it: "
                 "the application's shortcut 5 of QAction \"Five\" took it (to trigger a shortcut, "
                 "press its keys with the key request)");
    }

    void lineBreaksAndTabsTypedAsAKeyboardTypesThem()
    {
        // An editor of a class of its own (QScintilla's) takes no line feed character: the
        // extended mode types Return and Tab, which the plain mode has no typing for.
        FocusableWidget editor("editor");
        QVERIFY(showActive(&editor.window));
        EventRecorder recorder({QEvent::KeyPress});
        recorder.watch(editor.widget);
        QCOMPARE(
            request("type", editor.widget, QStringLiteral("a\nb\tc"), WireText::Mode::Extended),
            QString());
        QCOMPARE(keySequence(recorder), QStringLiteral("a<Return>b<Tab>c"));
    }

    void keysAfterTheFocusArrivesLate()
    {
        // The window becomes active only a while after the raise and the click have asked
        // for it, as on a loaded X server: the keys wait for it instead of going nowhere.
        TwoFields form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        QApplication::setActiveWindow(nullptr);
        QTimer::singleShot(100, &form.window,
                           [&form] { QApplication::setActiveWindow(&form.window); });
        QCOMPARE(request("enter", &form.field, QStringLiteral("late")), QString());
        QCOMPARE(form.field.text(), QStringLiteral("late"));
    }

    void keysGoIntoAPopupOnlyWhenItIsTheWidgetsOwn()
    {
        // A menu of the window that an earlier request left open would take keys meant for
        // a field, and its Return would trigger an action: the keys fail instead.
        TwoFields form;
        QVERIFY(showActive(&form.window));
        QMenu windowMenu(&form.window);
        QSignalSpy quit(windowMenu.addAction(QStringLiteral("Quit")), &QAction::triggered);
        windowMenu.popup(form.window.mapToGlobal(QPoint(0, 0)));
        QTRY_COMPARE(QApplication::activePopupWidget(), &windowMenu);
        QCOMPARE(request("press", &form.field, QStringLiteral("Down,Return")),
                 "Error: the keys for widget \"field\" of class \"QLineEdit\" would go into popup "
                 "\"\" of class \"QMenu\", which was open before and is none of the widget's own; "
                 "close it first (Escape)");
        QCOMPARE(quit.count(), 0);
        windowMenu.close();

        // The field's own menu takes them, as it would a user's.
        QMenu fieldMenu(&form.field);
        QSignalSpy copy(fieldMenu.addAction(QStringLiteral("Copy")), &QAction::triggered);
        fieldMenu.popup(form.window.mapToGlobal(QPoint(0, 0)));
        QTRY_COMPARE(QApplication::activePopupWidget(), &fieldMenu);
        QCOMPARE(request("press", &form.field, QStringLiteral("Down,Return")), QString());
        QCOMPARE(copy.count(), 1);
    }

    void keysWithoutAnOwnerGoNowhereQuietly()
    {
        // Input outside a proxy keeps the plain rules: no receiver, no key, no error.
        QVERIFY(!QApplication::focusWidget());
        struct Typist : STInputControl
        {
            using STInputControl::typeText;
        } typist;
        QString message;
        try {
            typist.typeText(QStringLiteral("ab"));
        } catch (const STError &error) {
            message = error.message;
        }
        QCOMPARE(message, QString());
    }

    void clickAimedIntoAnotherWindow()
    {
        // A point outside the widget's own window: the click would land in another window.
        QWidget window;
        window.setGeometry(100, 100, 200, 100);
        window.setObjectName(QStringLiteral("host"));
        QVERIFY(showActive(&window));
        QWidget other;
        other.setWindowTitle(QStringLiteral("Other"));
        other.setGeometry(400, 100, 200, 100);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        struct Aimer : STWidgetProxy
        {
            using STInputControl::mouseClick;
        } aimer;
        aimer.attach(&window, "QWidget");
        QString message;
        try {
            aimer.mouseClick(QPoint(500, 150), Qt::LeftButton);
        } catch (const STError &error) {
            message = error.message;
        }
        QCOMPARE(message, "Error: widget \"host\" of class \"QWidget\" is covered by window "
                          "\"Other\" where it was aimed at");
    }

    void windowsStackedOnTheHeadlessScreen()
    {
        // Headless, windows lie on one another and none can be raised: the window a request
        // works on is the one on top, as raising it makes it on a desktop. Either of two
        // windows in the same place is clicked, whichever the platform finds first.
        QWidget windows[2];
        QPushButton *buttons[2];
        for (int i = 0; i < 2; ++i) {
            windows[i].setGeometry(100, 100, 200, 100);
            windows[i].setWindowTitle(QStringLiteral("Window %1").arg(i));
            buttons[i] = new QPushButton(QStringLiteral("Go"), &windows[i]);
            buttons[i]->setObjectName(QStringLiteral("go"));
            buttons[i]->setGeometry(0, 0, 200, 100);
            QVERIFY(showActive(&windows[i]));
        }
        for (QPushButton *button : buttons) {
            QSignalSpy clicked(button, &QPushButton::clicked);
            QCOMPARE(request("activate", button, QVariant()), QString());
            QCOMPARE(clicked.count(), 1);
        }
    }

    void widgetBelowTheFoldIsScrolledIntoView()
    {
        QScrollArea area;
        area.resize(200, 150);
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        QPushButton *first = nullptr;
        QPushButton *last = nullptr;
        for (int i = 0; i < 30; ++i) {
            auto *button = new QPushButton(QStringLiteral("Button %1").arg(i));
            button->setCheckable(true);
            layout->addWidget(button);
            (i == 0 ? first : last) = button;
        }
        area.setWidget(content);
        QVERIFY(showActive(&area));

        // In view already: nothing scrolls.
        QCOMPARE(request("activate", first, QVariant()), QString());
        QTRY_VERIFY(first->isChecked());
        QCOMPARE(area.verticalScrollBar()->value(), 0);

        QCOMPARE(request("activate", last, QVariant()), QString());
        QTRY_VERIFY(last->isChecked());
        QCOMPARE(area.verticalScrollBar()->value(), area.verticalScrollBar()->maximum());
    }

    void widgetWiderThanTheViewIsClickedWhereItStarts()
    {
        // Its start is in view: centring it would scroll its check box indicator away.
        QScrollArea area;
        area.resize(200, 150);
        auto *content = new QWidget;
        content->setFixedSize(600, 100);
        auto *wide = new QCheckBox(QStringLiteral("A check box with a long text"), content);
        wide->setGeometry(10, 10, 500, 30);
        area.setWidget(content);
        QVERIFY(showActive(&area));

        QCOMPARE(request("activate", wide, true), QString());
        QTRY_VERIFY(wide->isChecked());
        QCOMPARE(area.horizontalScrollBar()->value(), 0);
    }

    void clickOnAWidgetCoveredInItsOwnWindow()
    {
        QWidget window;
        window.resize(200, 100);
        QPushButton button(QStringLiteral("Go"), &window);
        button.setObjectName(QStringLiteral("go"));
        button.setGeometry(10, 10, 100, 40);
        QLabel cover(QStringLiteral("over it"), &window);
        cover.setObjectName(QStringLiteral("cover"));
        cover.setGeometry(0, 0, 200, 100);
        QVERIFY(showActive(&window));
        QSignalSpy clicked(&button, &QPushButton::clicked);

        QCOMPARE(request("activate", &button, QVariant()),
                 "Error: the click aimed at widget \"go\" of class \"QPushButton\" would reach "
                 "widget \"cover\" of class \"QLabel\" instead");
        QCOMPARE(clicked.count(), 0);
    }
};

TC_TEST_MAIN(tst_InputDelivery)
#include "tst_inputdelivery.moc"
