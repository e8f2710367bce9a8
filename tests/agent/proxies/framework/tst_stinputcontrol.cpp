#include "frameworktest.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace {

// Opens the input operations to the test.
class InputDriver : public STInputControl
{
public:
    using STInputControl::mouseClick;
    using STInputControl::mouseDoubleClick;
    using STInputControl::mouseMove;
    using STInputControl::mousePress;
    using STInputControl::mouseRelease;
    using STInputControl::postInput;
    using STInputControl::typeText;
};

// Moves the focus to another widget when the watched widget gets a mouse release.
class FocusOnRelease : public QObject
{
public:
    explicit FocusOnRelease(QWidget *next) : next(next) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            next->setFocus();
        return false;
    }
    QWidget *next;
};

// Tells when it is deleted.
class TrackedEvent : public QEvent
{
public:
    explicit TrackedEvent(bool *deleted) : QEvent(QEvent::User), deleted(deleted) {}
    ~TrackedEvent() override { *deleted = true; }
    bool *deleted;
};

const QString Hidden = QStringLiteral("Error: widget is hidden by another window");

} // namespace

class tst_STInputControl : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void rightClickSequence()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder;
        recorder.watch(&scene.target);

        // Posted input bypasses the window system, which would ask for the context menu.
        InputDriver input;
        input.mouseClick(scene.target.mapToGlobal(QPoint(20, 10)), Qt::RightButton);
        QCOMPARE(recorder.lines(),
                 (QStringList{"MouseButtonPress RightButton buttons=RightButton (20,10)",
                              "MouseButtonRelease RightButton buttons=NoButton (20,10)",
                              "ContextMenu Mouse (20,10)"}));
        QCOMPARE(input.heldButtons(), Qt::MouseButtons(Qt::NoButton));
    }

    void typedCharacters()
    {
        QLineEdit edit;
        QVERIFY(showActive(&edit));
        edit.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &edit);
        EventRecorder recorder({QEvent::KeyPress});
        recorder.watch(&edit);
        EventRecorder painted({QEvent::Paint});
        painted.watch(&edit);

        // Printable ASCII keeps its code, letters as their upper-case key; anything else
        // travels by its text only.
        InputDriver().typeText(QStringLiteral("aB1\u00e9"));
        QCOMPARE(recorder.lines(),
                 (QStringList{"KeyPress Key_A \"a\"", "KeyPress Key_B \"B\"",
                              "KeyPress Key_1 \"1\"", QStringLiteral("KeyPress 0 \"\u00e9\"")}));
        QCOMPARE(edit.text(), QStringLiteral("aB1\u00e9"));
        // Painting waits until the whole text is typed, but it does come.
        QTRY_VERIFY(painted.count() > 0);
    }

    void dragMoves()
    {
        Scene scene;
        scene.target.setMouseTracking(true);
        QVERIFY(showActive(&scene.window));
        InputDriver input;
        input.mouseMove(scene.target.mapToGlobal(QPoint(5, 5)));
        EventRecorder recorder({QEvent::MouseMove});
        recorder.watch(&scene.target);
        input.mousePress(Qt::LeftButton);

        // Where the cursor already is nothing is posted. Elsewhere the window system's own
        // move, which knows nothing of the held button, gives way to one that carries it.
        input.mouseMove(scene.target.mapToGlobal(QPoint(5, 5)));
        QCOMPARE(recorder.count(), 0);
        input.mouseMove(scene.target.mapToGlobal(QPoint(40, 20)), Qt::AltModifier);
        QCOMPARE(recorder.lines(),
                 QStringList{"MouseMove NoButton buttons=LeftButton (40,20) AltModifier"});
    }

    void hiddenByAnotherWindow()
    {
        // No window of the application is there. A press still counts its button as held
        // and a release still lets it go, so that the held buttons stay true to the requests.
        InputDriver input;
        QCOMPARE(errorOf([&] { input.mouseMove(nowhere() + QPoint(1, 1)); }), Hidden);
        QCOMPARE(errorOf([&] { input.mousePress(Qt::RightButton); }), Hidden);
        QCOMPARE(input.heldButtons(), Qt::MouseButtons(Qt::RightButton));
        QCOMPARE(errorOf([&] { input.mouseRelease(Qt::RightButton); }), Hidden);
        QCOMPARE(input.heldButtons(), Qt::MouseButtons(Qt::NoButton));
    }

    void popupReceivesClickOutsideIt()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        QMenu menu(&scene.window);
        menu.addAction(QStringLiteral("One"));
        menu.popup(scene.window.mapToGlobal(QPoint(10, 10)));
        QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
        EventRecorder recorder({QEvent::MouseButtonPress});
        recorder.watch(&menu);
        recorder.watch(&scene.window);

        const QPoint outside = scene.window.mapToGlobal(QPoint(190, 140));
        QVERIFY(!menu.geometry().contains(outside));
        InputDriver().mouseClick(outside, Qt::LeftButton);
        QCOMPARE(recorder.count(), 1);
        QCOMPARE(recorder.entries().first().receiver.data(), static_cast<QObject *>(&menu));
        QTRY_VERIFY(!menu.isVisible());
    }

    void doubleClickTakesTheFocusBack()
    {
        // The widget hands the focus on when the first click ends; the double-click takes
        // it back, as a user's double-click would.
        Scene scene;
        QLineEdit edit(&scene.window);
        edit.move(0, 100);
        scene.target.setFocusPolicy(Qt::ClickFocus);
        FocusOnRelease handOn(&edit);
        scene.target.installEventFilter(&handOn);
        QVERIFY(showActive(&scene.window));

        InputDriver().mouseDoubleClick(scene.target.mapToGlobal(QPoint(10, 10)), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), &scene.target);
    }

    void receiverDeletedBeforePosting()
    {
        // The receiver dies while the events before it are handled: the event is dropped.
        auto *doomed = new QWidget;
        QTimer::singleShot(0, doomed, [doomed] { delete doomed; });
        bool deleted = false;
        InputDriver().postInput(doomed, new TrackedEvent(&deleted));
        QVERIFY(deleted);
    }

    void pressFocus_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("focusAfter");

        QTest::newRow("a NoFocus widget leaves the focus where it was")
            << int(Qt::NoFocus) << "edit";
        QTest::newRow("a click-focus widget takes the focus") << int(Qt::ClickFocus) << "target";
    }

    void pressFocus()
    {
        QFETCH(int, policy);
        QFETCH(QString, focusAfter);

        Scene scene;
        QLineEdit edit(&scene.window);
        edit.setObjectName(QStringLiteral("edit"));
        edit.move(0, 100);
        scene.target.setFocusPolicy(Qt::FocusPolicy(policy));
        QVERIFY(showActive(&scene.window));
        edit.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &edit);

        InputDriver input;
        input.mouseMove(scene.target.mapToGlobal(QPoint(10, 10)));
        input.mousePress(Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    }
};

TC_TEST_MAIN(tst_STInputControl)
#include "tst_stinputcontrol.moc"
