#include "frameworktest.h"
#include "proxies/framework/stwidgetproxy.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QLabel>

#include <functional>

namespace {

// A proxy with pseudo properties of its own, one of which has no value.
class ListProxy : public STWidgetProxy
{
public:
    QStringList pseudoPropertyNames() override { return {"itemList", "emptyItem"}; }
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override
    {
        if (qstrcmp(name, "itemList") == 0)
            return QStringList{QStringLiteral("first"), parameter.toString()};
        return QVariant();
    }
};

enum WindowAfterRaise { StaysPut, AtScreenTopLeft, WidgetOnScreen };

} // namespace

class TestSTWidgetProxy : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void getProperty_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QVariant>("expected"); // invalid: the read fails as unknown

        QTest::newRow("className is the widget's own class")
            << QByteArray("className") << QVariant(QStringLiteral("QLabel"));
        QTest::newRow("silkClassName is the name the proxy was bound under")
            << QByteArray("silkClassName") << QVariant(QStringLiteral("QWidget"));
        QTest::newRow("pseudoPropertyNames: the five built-ins, then the proxy's own")
            << QByteArray("pseudoPropertyNames")
            << QVariant(QStringList{"propertyNames", "pseudoPropertyNames", "className",
                                    "silkClassName", "globalRect", "itemList", "emptyItem"});
        QTest::newRow("a pseudo property receives the parameter")
            << QByteArray("itemList") << QVariant(QStringList{"first", "param"});
        QTest::newRow("a Qt property of the widget")
            << QByteArray("text") << QVariant(QStringLiteral("Hello"));
        QTest::newRow("an unknown name") << QByteArray("noSuchThing") << QVariant();
        QTest::newRow("a pseudo property without a value") << QByteArray("emptyItem") << QVariant();
        QTest::newRow("names are case-sensitive") << QByteArray("ClassName") << QVariant();
    }

    void getProperty()
    {
        QFETCH(QByteArray, name);
        QFETCH(QVariant, expected);

        QLabel label(QStringLiteral("Hello"));
        ListProxy proxy;
        proxy.attach(&label, "QWidget");
        if (expected.isValid())
            QCOMPARE(proxy.getProperty(name.constData(), QStringLiteral("param")), expected);
        else
            QCOMPARE(errorOf([&] { proxy.getProperty(name.constData(), QVariant()); }),
                     "Unknown property \"" + name + "\".");
    }

    void propertyNamesAndGlobalRect()
    {
        Scene scene(QRect(30, 20, 80, 40));
        QVERIFY(showActive(&scene.window));
        STWidgetProxy proxy;
        proxy.attach(&scene.target, "QWidget");

        const QStringList names = proxy.getProperty("propertyNames", QVariant()).toStringList();
        QCOMPARE(names.value(0), QStringLiteral("objectName"));
        QCOMPARE(names.size(), scene.target.metaObject()->propertyCount());
        QCOMPARE(proxy.getProperty("globalRect", QVariant()),
                 QVariant(QRect(scene.target.mapToGlobal(QPoint(0, 0)), QSize(80, 40))));
    }

    void mouseCommandErrors_data()
    {
        QTest::addColumn<QVariant>("command");
        QTest::addColumn<QString>("error");

        const QString outside = QStringLiteral("Only a Position between 0.0 and 1.0 is allowed");
        QTest::newRow("x beyond 1.0") << QVariant("MouseClick:LeftButton:1.5::") << outside;
        QTest::newRow("x not a number")
            << QVariant("MouseClick:LeftButton:abc::") << "The 3. parameter \"abc\" is not a float";
        QTest::newRow("y not a number") << QVariant("MouseClick:LeftButton:0.5:1,5:")
                                        << "The 4. parameter \"1,5\" is not a float";
        QTest::newRow("only one modifier can be given")
            << QVariant("MouseClick:LeftButton:::ShiftModifier|AltModifier")
            << "\"ShiftModifier|AltModifier\"-Modifier is not implemented";
        QTest::newRow("an unknown type with a valid button")
            << QVariant("MouseWheel:LeftButton:::") << "\"MouseWheel\"-Type is not implemented";
        QTest::newRow("the position is checked before the button")
            << QVariant("Bogus:Bogus:2::") << outside;
        QTest::newRow("the button is checked before the modifier and the type")
            << QVariant("Bogus:Bogus:::Bogus") << "\"Bogus\"-Button is not implemented";
        QTest::newRow("the modifier is checked before the type")
            << QVariant("Bogus:NoButton:::Bogus") << "\"Bogus\"-Modifier is not implemented";
        QTest::newRow("a command that is not a string")
            << QVariant(5) << "Type error: object \"target\" of class \"QWidget\" accepts string.";
    }

    void mouseCommandErrors()
    {
        QFETCH(QVariant, command);
        QFETCH(QString, error);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        STWidgetProxy proxy;
        proxy.attach(&scene.target, "QWidget");
        QCOMPARE(errorOf([&] { proxy.mouse(command); }), error);
        QCOMPARE(QCursor::pos(), Nowhere);
    }

    void mouseCommandPositions_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("a click without position hits the centre")
            << "MouseClick:LeftButton:::" << QPoint(49, 24)
            << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (49,24)",
                           "MouseButtonRelease LeftButton buttons=NoButton (49,24)"};
        QTest::newRow("fractions of the size, truncated, with a modifier")
            << "MousePress:RightButton:0.25:0.75:ShiftModifier" << QPoint(25, 37)
            << QStringList{
                   "MouseButtonPress RightButton buttons=RightButton (25,37) ShiftModifier"};
        QTest::newRow("text after a fifth colon is ignored")
            << "MouseRelease:MidButton:0:0:NoModifier:junk" << QPoint(0, 0)
            << QStringList{"MouseButtonRelease MiddleButton buttons=NoButton (0,0)"};
        QTest::newRow("x alone: y is the middle row; 1.0 is just right of the widget")
            << "MouseMove::1.0::" << QPoint(100, 25) << QStringList();
        QTest::newRow("a double click posts no second press")
            << "MouseDoubleClick:LeftButton:::" << QPoint(49, 24)
            << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (49,24)",
                           "MouseButtonRelease LeftButton buttons=NoButton (49,24)",
                           "MouseButtonDblClick LeftButton buttons=LeftButton (49,24)"};
    }

    void mouseCommandPositions()
    {
        QFETCH(QString, command);
        QFETCH(QPoint, cursor);
        QFETCH(QStringList, expected);

        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                QEvent::MouseButtonDblClick, QEvent::ContextMenu});
        recorder.watch(&scene.target);
        STWidgetProxy proxy;
        proxy.attach(&scene.target, "QWidget");

        proxy.mouse(command);
        QCOMPARE(QCursor::pos(), scene.target.mapToGlobal(cursor));
        QTRY_COMPARE(recorder.lines(), expected);
    }

    void raiseWidgetWindow_data()
    {
        QTest::addColumn<QRect>("windowGeometry");
        QTest::addColumn<QRect>("widgetGeometry");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<int>("after");

        QTest::newRow("a minimised window is restored in place")
            << QRect(100, 100, 200, 150) << QRect(10, 10, 50, 20) << true << int(StaysPut);
        QTest::newRow("a window off the right edge moves to the screen's top-left")
            << QRect(700, 100, 200, 150) << QRect(150, 10, 40, 20) << false << int(AtScreenTopLeft);
        // Then the window is shifted by the widget's offset; where exactly it ends depends on
        // the window frame, which the offscreen platform settles late.
        QTest::newRow("a widget deep in a tall window is brought onto the screen")
            << QRect(0, 0, 300, 1000) << QRect(10, 700, 50, 50) << false << int(WidgetOnScreen);
    }

    void raiseWidgetWindow()
    {
        QFETCH(QRect, windowGeometry);
        QFETCH(QRect, widgetGeometry);
        QFETCH(bool, minimised);
        QFETCH(int, after);

        Scene scene(widgetGeometry);
        scene.window.setGeometry(windowGeometry);
        QVERIFY(showActive(&scene.window));
        const QRect available = QApplication::desktop()->availableGeometry(&scene.target);
        QVERIFY2(available.contains(QRect(100, 100, 200, 150)), "the screen is too small");
        if (minimised) {
            scene.window.showMinimized();
            QTRY_VERIFY(scene.window.isMinimized());
        }
        const QPoint before = scene.window.pos();
        STWidgetProxy proxy;
        proxy.attach(&scene.target, "QWidget");

        proxy.raiseWidgetWindow();
        QVERIFY(!scene.window.isMinimized());
        if (after == StaysPut)
            QCOMPARE(scene.window.pos(), before);
        else if (after == AtScreenTopLeft)
            QTRY_COMPARE(scene.window.pos(), available.topLeft());
        else
            QTRY_VERIFY(available.contains(
                QRect(scene.target.mapToGlobal(QPoint(0, 0)), scene.target.size())));
    }

    void stripMnemonic()
    {
        QCOMPARE(STWidgetProxy::stripMnemonic("&Open"), QStringLiteral("Open"));
        QCOMPARE(STWidgetProxy::stripMnemonic("Save && &Quit"), QStringLiteral("Save & &Quit"));
        QCOMPARE(STWidgetProxy::stripMnemonic("Plain"), QStringLiteral("Plain"));
    }

    void argumentErrors_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("accepted"); // "null" for none, "range" for a range error
        QTest::addColumn<QString>("error");

        const QString start = QStringLiteral("Type error: object \"%1\" of class \"QWidget\" ");
        QTest::newRow("type error with the accepted text")
            << "count"
            << "string, integer" << start.arg("count") + "accepts string, integer.";
        QTest::newRow("type error without accepted text")
            << "count"
            << "null" << start.arg("count") + "accepts no parameter.";
        QTest::newRow("a percent sign in the object name stays as it is")
            << "100%s%d"
            << "bool"
            << "Type error: object \"100%s%d\" of class \"QWidget\" "
               "accepts bool.";
        QTest::newRow("an empty object name gives two adjacent quotes")
            << ""
            << "none" << start.arg("") + "accepts none.";
        QTest::newRow("range error with a formatted range")
            << "speed"
            << "range"
            << start.arg("speed") + "accepts only values in the following range: [-3, 9].";
    }

    void argumentErrors()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, accepted);
        QFETCH(QString, error);

        QWidget target;
        target.setObjectName(objectName);
        STWidgetProxy proxy;
        proxy.attach(&target, "QWidget");
        QCOMPARE(errorOf([&] {
                     if (accepted == QLatin1String("null"))
                         proxy.typeError(nullptr);
                     else if (accepted == QLatin1String("range"))
                         proxy.rangeError("[%d, %d]", -3, 9);
                     else
                         proxy.typeError(accepted.toLatin1().constData());
                 }),
                 error);
    }

    void errorText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("a long message is cut to 2046 bytes")
            << QByteArray(3000, 'x') << QString(2046, QLatin1Char('x'));
        QTest::newRow("percent signs in composed text are not directives")
            << QByteArray("50% %s %n %d") << "50% %s %n %d";
        QTest::newRow("bytes are read as Latin-1") << QByteArray("d\xe9j\xe0") << "d\u00e9j\u00e0";
    }

    void errorText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QCOMPARE(errorOf([&] { raiseMessage(text); }), expected);
        QCOMPARE(errorOf([&] { raiseError("%s", text.constData()); }), expected);
    }

    void defaultsAndMissingWidget_data()
    {
        QTest::addColumn<QString>("binding"); // "none", "deleted" or "label"
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("error");

        const QString noWidget = QStringLiteral("Internal error, proxy without widget");
        QTest::newRow("never bound: property read") << "none" << 0 << noWidget;
        QTest::newRow("never bound: mouse command") << "none" << 1 << noWidget;
        QTest::newRow("never bound: type error") << "none" << 2 << noWidget;
        QTest::newRow("widget deleted: property read") << "deleted" << 0 << noWidget;
        QTest::newRow("widget deleted: raising its window") << "deleted" << 3 << noWidget;
        QTest::newRow("widget deleted: activate names no class")
            << "deleted" << 4 << "\"activate\" is not implemented for widget of class \"unknown\"";
        QTest::newRow("activate names the widget's class")
            << "label" << 4 << "\"activate\" is not implemented for widget of class \"QLabel\"";
        QTest::newRow("enter names the widget's class")
            << "label" << 5 << "\"enter\" is not implemented for widget of class \"QLabel\"";
        QTest::newRow("a widget of another class than required")
            << "label" << 6
            << "Internal error, proxy for class \"QAbstractButton\", connected to widget of "
               "class \"QLabel\".";
    }

    void defaultsAndMissingWidget()
    {
        QFETCH(QString, binding);
        QFETCH(int, operation);
        QFETCH(QString, error);

        STWidgetProxy proxy;
        QLabel label;
        if (binding == QLatin1String("label"))
            proxy.attach(&label, "QLabel");
        if (binding == QLatin1String("deleted")) {
            auto *doomed = new QWidget;
            proxy.attach(doomed, "QWidget");
            delete doomed;
        }
        const std::function<void()> operations[] = {
            [&] { proxy.getProperty("className", QVariant()); },
            [&] { proxy.mouse(QStringLiteral("MouseClick:LeftButton:::")); },
            [&] { proxy.typeError("string"); },
            [&] { proxy.raiseWidgetWindow(); },
            [&] { proxy.activate(QVariant(), QVariant()); },
            [&] { proxy.enter(QVariant()); },
            [&] { proxy.checkedWidget("QAbstractButton"); }};
        QCOMPARE(errorOf(operations[operation]), error);
    }
};

TC_TEST_MAIN(TestSTWidgetProxy)
#include "tst_stwidgetproxy.moc"
