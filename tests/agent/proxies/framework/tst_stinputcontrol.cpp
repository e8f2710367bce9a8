#include "frameworktest.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

namespace {

// Opens the input operations to the test.
class InputDriver : public STInputControl
{
public:
    using STInputControl::keyClick;
    using STInputControl::mouseClick;
    using STInputControl::mouseDoubleClick;
    using STInputControl::mouseMove;
    using STInputControl::mousePress;
    using STInputControl::mouseRelease;
    using STInputControl::typeText;

    void setFlushing(bool on) { flushEvents = on; }
};

const QString Hidden = QStringLiteral("Error: widget is hidden by another window");

} // namespace

class TestSTInputControl : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void mouseClickSequence_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("a left click is a press and a release")
            << int(Qt::LeftButton)
            << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (20,10)",
                           "MouseButtonRelease LeftButton buttons=NoButton (20,10)"};
        QTest::newRow("a right click asks for the context menu after the release")
            << int(Qt::RightButton)
            << QStringList{"MouseButtonPress RightButton buttons=RightButton (20,10)",
                           "MouseButtonRelease RightButton buttons=NoButton (20,10)",
                           "ContextMenu Mouse (20,10)"};
    }

    void mouseClickSequence()
    {
        QFETCH(int, button);
        QFETCH(QStringList, expected);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder;
        recorder.watch(&scene.target);

        InputDriver().mouseClick(scene.target.mapToGlobal(QPoint(20, 10)), Qt::MouseButton(button));
        QCOMPARE(recorder.lines(), expected);
        QCOMPARE(STInputControl::pressedButtons, Qt::MouseButtons(Qt::NoButton));
    }

    void keyEvents_data()
    {
        QTest::addColumn<QString>("text"); // typed, unless a key is given
        QTest::addColumn<int>("key");      // clicked with Shift
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("letters and digits: upper-case key, text as typed, no Shift")
            << QStringLiteral("aB1") << 0
            << QStringList{"KeyPress Key_A \"a\"", "KeyRelease Key_A \"a\"",
                           "KeyPress Key_B \"B\"", "KeyRelease Key_B \"B\"",
                           "KeyPress Key_1 \"1\"", "KeyRelease Key_1 \"1\""};
        QTest::newRow("a character outside printable ASCII has key 0")
            << QStringLiteral("\u00e9") << 0
            << QStringList{QStringLiteral("KeyPress 0 \"\u00e9\""),
                           QStringLiteral("KeyRelease 0 \"\u00e9\"")};
        QTest::newRow("a key click carries its modifiers and no text")
            << QString() << int(Qt::Key_End)
            << QStringList{"KeyPress Key_End \"\" ShiftModifier",
                           "KeyRelease Key_End \"\" ShiftModifier"};
    }

    void keyEvents()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QStringList, expected);

        Scene scene;
        QLineEdit edit(&scene.window);
        QVERIFY(showActive(&scene.window));
        edit.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &edit);
        EventRecorder recorder;
        recorder.watch(&edit);

        if (key)
            InputDriver().keyClick(key, Qt::ShiftModifier);
        else
            InputDriver().typeText(text);
        QCOMPARE(recorder.lines(), expected);
        QCOMPARE(edit.text(), text);
    }

    void moveWithinWindow_data()
    {
        QTest::addColumn<int>("held");
        QTest::newRow("without a held button only the window system's own move arrives")
            << int(Qt::NoButton);
        QTest::newRow("a drag replaces it with one move that carries the held button")
            << int(Qt::LeftButton);
    }

    void moveWithinWindow()
    {
        QFETCH(int, held);

        Scene scene;
        scene.target.setMouseTracking(true);
        QVERIFY(showActive(&scene.window));
        InputDriver input;
        input.mouseMove(scene.target.mapToGlobal(QPoint(5, 5)));
        EventRecorder recorder;
        recorder.watch(&scene.target);

        STInputControl::pressedButtons = Qt::MouseButtons(held);
        input.mouseMove(scene.target.mapToGlobal(QPoint(40, 20)), Qt::AltModifier);
        QCOMPARE(QCursor::pos(), scene.target.mapToGlobal(QPoint(40, 20)));
        QCOMPARE(recorder.count(), 1);
        const EventRecorder::Entry &move = recorder.entries().first();
        QCOMPARE(move.type, QEvent::MouseMove);
        QCOMPARE(move.buttons, Qt::MouseButtons(held));
        QCOMPARE(move.pos, QPoint(40, 20));
        // The window system's own move reports the application's modifier state instead.
        if (held)
            QCOMPARE(move.modifiers, Qt::KeyboardModifiers(Qt::AltModifier));
    }

    void moveToCursorPositionPostsNothing()
    {
        Scene scene;
        scene.target.setMouseTracking(true);
        QVERIFY(showActive(&scene.window));
        const QPoint inside = scene.target.mapToGlobal(QPoint(5, 5));
        QCursor::setPos(inside);
        QCoreApplication::processEvents();
        EventRecorder recorder;
        recorder.watch(&scene.target);
        STInputControl::pressedButtons = Qt::LeftButton;

        InputDriver input;
        input.mouseMove(inside);
        QCOMPARE(recorder.count(), 0);
        // Nothing is looked up either: a point that no window covers does not fail.
        QCursor::setPos(Nowhere);
        input.mouseMove(Nowhere);
    }

    void hiddenByAnotherWindow_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("heldAfter");

        QTest::newRow("moving there") << 0 << int(Qt::NoButton);
        QTest::newRow("pressing there still counts the button as held")
            << 1 << int(Qt::RightButton);
        QTest::newRow("releasing there still lets the button go") << 2 << int(Qt::NoButton);
    }

    void hiddenByAnotherWindow()
    {
        QFETCH(int, operation);
        QFETCH(int, heldAfter);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        QCursor::setPos(scene.target.mapToGlobal(QPoint(10, 10)));
        if (operation != 0)
            QCursor::setPos(Nowhere);
        STInputControl::pressedButtons = operation == 2 ? Qt::RightButton : Qt::NoButton;

        InputDriver input;
        QCOMPARE(errorOf([&] {
                     if (operation == 0)
                         input.mouseMove(Nowhere);
                     else if (operation == 1)
                         input.mousePress(Qt::RightButton);
                     else
                         input.mouseRelease(Qt::RightButton);
                 }),
                 Hidden);
        QCOMPARE(STInputControl::pressedButtons, Qt::MouseButtons(heldAfter));
    }

    void flushingOffQueuesTheWholeClick()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder;
        recorder.watch(&scene.target);

        InputDriver input;
        input.setFlushing(false);
        input.mouseClick(scene.target.mapToGlobal(QPoint(7, 8)), Qt::LeftButton);
        QCOMPARE(recorder.count(), 0);
        QTRY_COMPARE(recorder.lines(),
                     (QStringList{"MouseButtonPress LeftButton buttons=LeftButton (7,8)",
                                  "MouseButtonRelease LeftButton buttons=NoButton (7,8)"}));
    }

    void popupReceivesClickOutsideIt()
    {
        Scene scene(QRect(0, 0, 200, 150));
        QVERIFY(showActive(&scene.window));
        QMenu menu(&scene.window);
        menu.setObjectName(QStringLiteral("menu"));
        menu.addAction(QStringLiteral("One"));
        menu.popup(scene.window.mapToGlobal(QPoint(10, 10)));
        QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
        EventRecorder recorder({QEvent::MouseButtonPress});
        recorder.watch(&menu);
        recorder.watch(&scene.target);

        const QPoint outside = scene.target.mapToGlobal(QPoint(190, 140));
        QVERIFY(!menu.geometry().contains(outside));
        InputDriver().mouseClick(outside, Qt::LeftButton);
        QCOMPARE(recorder.linesWithReceiver().value(0).left(22),
                 QStringLiteral("menu: MouseButtonPress"));
        QCOMPARE(recorder.count(), 1);
        QTRY_VERIFY(!menu.isVisible());
    }

    void pressFocus_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<bool>("withProxy");
        QTest::addColumn<QString>("focusAfter");

        QTest::newRow("a NoFocus widget leaves the focus where it was")
            << int(Qt::NoFocus) << false << "edit";
        QTest::newRow("a click-focus widget takes the focus")
            << int(Qt::ClickFocus) << false << "target";
        QTest::newRow("a NoFocus widget passes focus to its click-focus proxy")
            << int(Qt::NoFocus) << true << "proxy";
    }

    void pressFocus()
    {
        QFETCH(int, policy);
        QFETCH(bool, withProxy);
        QFETCH(QString, focusAfter);

        Scene scene(QRect(0, 100, 100, 50));
        QLineEdit edit(&scene.window);
        edit.setObjectName(QStringLiteral("edit"));
        QLineEdit proxy(&scene.window);
        proxy.setObjectName(QStringLiteral("proxy"));
        proxy.move(0, 40);
        scene.target.setFocusPolicy(Qt::FocusPolicy(policy));
        if (withProxy)
            scene.target.setFocusProxy(&proxy);
        QVERIFY(showActive(&scene.window));
        edit.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &edit);

        InputDriver input;
        input.mouseMove(scene.target.mapToGlobal(QPoint(10, 10)));
        input.mousePress(Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    }

    void windowClosedByTheClick_data()
    {
        QTest::addColumn<bool>("onPress");
        QTest::addColumn<bool>("doubleClick");

        QTest::newRow("the press closes the window") << true << false;
        QTest::newRow("the click closes the window") << false << false;
        QTest::newRow("the first click of a double click closes the window") << false << true;
    }

    void windowClosedByTheClick()
    {
        QFETCH(bool, onPress);
        QFETCH(bool, doubleClick);

        QPointer<QWidget> window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setGeometry(100, 100, 200, 150);
        auto *button = new QPushButton(QStringLiteral("Close"), window);
        if (onPress)
            QObject::connect(button, &QPushButton::pressed, window, &QWidget::close);
        else
            QObject::connect(button, &QPushButton::clicked, window, &QWidget::close);
        QVERIFY(showActive(window));

        // The release after a closing press finds no window there any more.
        const QString error = errorOf([&] {
            const QPoint at = button->mapToGlobal(QPoint(10, 10));
            if (doubleClick)
                InputDriver().mouseDoubleClick(at, Qt::LeftButton);
            else
                InputDriver().mouseClick(at, Qt::LeftButton);
        });
        QCOMPARE(error, onPress ? Hidden : QStringLiteral("no error"));
        QTRY_VERIFY(!window);
    }
};

TC_TEST_MAIN(TestSTInputControl)
#include "tst_stinputcontrol.moc"
