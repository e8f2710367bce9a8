#include "frameworktest.h"
#include "proxies/framework/mousecommand.h"
#include "proxies/framework/stwidgetproxy.h"

#include "eventrecorder.h"
#include "testmain.h"

Q_DECLARE_METATYPE(MouseCommand::Syntax)

// The three grammars share one reader: these tables pin where they part, so that a word,
// a field count or a message of one grammar cannot leak into another.
// A proxy bound to a widget, whose input the commands are performed with.
struct BoundProxy : STWidgetProxy
{
    STInputControl &input() { return *this; }
};

class tst_MouseCommand : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void grammars_data()
    {
        QTest::addColumn<MouseCommand::Syntax>("syntax");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message"); // empty: carried out
        QTest::addColumn<QStringList>("events");

        const auto Widget = MouseCommand::Widget;
        const auto ItemView = MouseCommand::ItemView;
        const auto Fixed = MouseCommand::Fixed;
        const QString invalid = "Invalid string value";
        const QString pressLeft = "MouseButtonPress LeftButton buttons=LeftButton (49,24)";
        const QString releaseLeft = "MouseButtonRelease LeftButton buttons=NoButton (49,24)";
        const QStringList none;

        QTest::newRow("widget: an empty type is a move, which presses nothing") << Widget << ""
                                                                                << ":LeftButton:::"
                                                                                << "" << none;
        QTest::newRow("widget: missing fields are empty")
            << Widget << ""
            << "MouseClick:LeftButton"
            << "" << QStringList{pressLeft, releaseLeft};
        QTest::newRow("widget: further fields are ignored")
            << Widget << ""
            << "MousePress:LeftButton:::ShiftModifier:extra"
            << "" << QStringList{pressLeft + " ShiftModifier"};
        QTest::newRow("widget: NoModifier is a modifier") << Widget << ""
                                                          << "MousePress:LeftButton:::NoModifier"
                                                          << "" << QStringList{pressLeft};
        QTest::newRow("widget: an unknown type is named")
            << Widget << ""
            << "MouseHover:LeftButton:::"
            << "\"MouseHover\"-Type is not implemented" << none;

        QTest::newRow("item view: exactly five fields")
            << ItemView << ""
            << "MouseClick:LeftButton:::ShiftModifier:extra" << invalid << none;
        QTest::newRow("item view: the position is not read")
            << ItemView << ""
            << "MousePress:LeftButton:abc:xyz:ControlModifier"
            << "" << QStringList{pressLeft + " ControlModifier"};
        QTest::newRow("item view: NoModifier is not a modifier")
            << ItemView << ""
            << "MouseClick:LeftButton:::NoModifier"
            << "Mouse modifier not supported" << none;
        QTest::newRow("item view: there are no moves") << ItemView << ""
                                                       << "MouseMove:LeftButton:::"
                                                       << "Invalid mouse command" << none;
        QTest::newRow("item view: an empty button is refused before the type")
            << ItemView << ""
            << "Bogus::::"
            << "Mouse button not supported" << none;
        QTest::newRow("item view: the modifier is checked before the type")
            << ItemView << ""
            << "Bogus:LeftButton:::Bogus"
            << "Mouse modifier not supported" << none;

        QTest::newRow("fixed: type and button, then the suffix")
            << Fixed << ":::"
            << "MouseClick:LeftButton:::"
            << "" << QStringList{pressLeft, releaseLeft};
        QTest::newRow("fixed: a shorter suffix is refused")
            << Fixed << ":::"
            << "MouseClick:LeftButton::" << invalid << none;
        QTest::newRow("fixed: there is no modifier field")
            << Fixed << ""
            << "MousePress:LeftButton:ShiftModifier" << invalid << none;
        QTest::newRow("fixed: there is no middle button")
            << Fixed << ""
            << "MouseClick:MidButton" << invalid << none;
        QTest::newRow("fixed: there are no moves") << Fixed << ""
                                                   << "MouseMove:LeftButton" << invalid << none;
        QTest::newRow("fixed: a right double click")
            << Fixed << ""
            << "MouseDoubleClick:RightButton"
            << ""
            << QStringList{"MouseButtonPress RightButton buttons=RightButton (49,24)",
                           "MouseButtonRelease RightButton buttons=NoButton (49,24)",
                           "MouseButtonDblClick RightButton buttons=RightButton (49,24)"};
    }

    void grammars()
    {
        QFETCH(MouseCommand::Syntax, syntax);
        QFETCH(QString, suffix);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(QStringList, events);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder(
            {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick});
        recorder.watch(&scene.target);
        BoundProxy proxy;
        proxy.attach(&scene.target, "QWidget");

        const QPoint centre = scene.target.mapToGlobal(scene.target.rect().center());
        const QString error = errorOf(
            [&] { MouseCommand::read(command, syntax, suffix).perform(proxy.input(), centre); });
        QCOMPARE(error, message.isEmpty() ? QStringLiteral("no error") : message);
        QTRY_COMPARE(recorder.lines(), events);
    }

    // A release away from its press drags there first; only the widget grammar holds the
    // release's modifier during that move.
    void dragModifier_data()
    {
        QTest::addColumn<MouseCommand::Syntax>("syntax");
        QTest::addColumn<QString>("move");

        const QString move = "MouseMove NoButton buttons=LeftButton (79,24)";
        QTest::newRow("widget") << MouseCommand::Widget << move + " ShiftModifier";
        QTest::newRow("item view") << MouseCommand::ItemView << move;
    }

    void dragModifier()
    {
        QFETCH(MouseCommand::Syntax, syntax);
        QFETCH(QString, move);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder({QEvent::MouseMove});
        recorder.watch(&scene.target);
        BoundProxy proxy;
        proxy.attach(&scene.target, "QWidget");

        const QPoint from = scene.target.mapToGlobal(QPoint(49, 24));
        const QPoint to = scene.target.mapToGlobal(QPoint(79, 24));
        QCOMPARE(
            errorOf([&] {
                MouseCommand::read("MousePress:LeftButton:::", syntax).perform(proxy.input(), from);
                MouseCommand::read("MouseRelease:LeftButton:::ShiftModifier", syntax)
                    .perform(proxy.input(), to);
            }),
            QStringLiteral("no error"));
        QTRY_COMPARE(recorder.lines(), QStringList{move});
    }
};

TC_TEST_MAIN(tst_MouseCommand)
#include "tst_mousecommand.moc"
