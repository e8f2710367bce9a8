#include "frameworktest.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/stwidgetproxy.h"
#include "protocol/wiretext.h"

#include "testmain.h"

#include <QLabel>
#include <QScreen>

namespace {

// A proxy with pseudo properties of its own; "text", which shadows the label's Qt
// property of that name, has no value.
class ListProxy : public STWidgetProxy
{
public:
    QStringList pseudoPropertyNames() override { return {"itemList", "text"}; }
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override
    {
        if (qstrcmp(name, "itemList") == 0)
            return QStringList{QStringLiteral("first"), parameter.toString()};
        return QVariant();
    }
};

} // namespace

class tst_STWidgetProxy : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void getProperty_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QVariant>("expected"); // invalid: the read fails as unknown

        QTest::newRow("pseudoPropertyNames: the five built-ins, then the proxy's own")
            << QByteArray("pseudoPropertyNames")
            << QVariant(QStringList{"propertyNames", "pseudoPropertyNames", "className",
                                    "silkClassName", "globalRect", "itemList", "text"});
        QTest::newRow("a pseudo property receives the parameter")
            << QByteArray("itemList") << QVariant(QStringList{"first", "param"});
        QTest::newRow("a pseudo property is read instead of the Qt property, even without value")
            << QByteArray("text") << QVariant();
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

    void mouseCommandErrors_data()
    {
        QTest::addColumn<QVariant>("command");
        QTest::addColumn<QString>("error");

        QTest::newRow("x not a number")
            << QVariant("MouseClick:LeftButton:abc::") << "The 3. parameter \"abc\" is not a float";
        QTest::newRow("y not a number") << QVariant("MouseClick:LeftButton:0.5:1,5:")
                                        << "The 4. parameter \"1,5\" is not a float";
        QTest::newRow("only one modifier can be given")
            << QVariant("MouseClick:LeftButton:::ShiftModifier|AltModifier")
            << "\"ShiftModifier|AltModifier\"-Modifier is not implemented";
        QTest::newRow("the position is checked before the button")
            << QVariant("Bogus:Bogus:2::") << "Only a Position between 0.0 and 1.0 is allowed";
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
        QCOMPARE(QCursor::pos(), nowhere());
    }

    void bringingForwardKeepsWindowsOnTheScreen_data()
    {
        QTest::addColumn<bool>("extended");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("expected");

        // The defined rule moves the window to the screen's corner when the widget pokes out.
        QTest::newRow("plain: a window on the screen goes to the corner")
            << false << QPoint(40, 17) << QPoint(0, 0);
        QTest::newRow("extended: a window on the screen stays")
            << true << QPoint(40, 17) << QPoint(40, 17);
        // From (-100,-1): left of the screen and 50 pixels above its bottom edge, whatever
        // its size; to (-1,-1): onto the screen, as near as can be.
        QTest::newRow("extended: a window partly off the screen comes onto it, no further")
            << true << QPoint(-100, -1) << QPoint(-1, -1);
    }

    void bringingForwardKeepsWindowsOnTheScreen()
    {
        QFETCH(bool, extended);
        QFETCH(QPoint, from);
        QFETCH(QPoint, expected);

        // A 300x200 window whose wide child reaches past the screen's right edge (a board
        // inside a scroll area): reading where it lies brings its window forward.
        QWidget window;
        window.resize(300, 200);
        const QRect screen = window.screen()->availableGeometry();
        window.move(from.y() < 0 ? QPoint(from.x(), screen.bottom() - 50) : from);
        QWidget board(&window);
        board.setGeometry(0, 0, window.screen()->availableGeometry().width() + 100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        STApplicationProxy registry({},
                                    extended ? WireText::Mode::Extended : WireText::Mode::Plain);
        registry.getProxyProperty(&board, QString(), "globalRect", QVariant());
        const QRect frame = window.frameGeometry();
        if (expected != QPoint(-1, -1)) {
            QCOMPARE(frame.topLeft(), expected);
        } else {
            QVERIFY(screen.contains(frame));
            QCOMPARE(QPoint(frame.left(), frame.bottom()), QPoint(screen.left(), screen.bottom()));
        }
    }

    void typeErrorWithoutAcceptedText()
    {
        QWidget target;
        STWidgetProxy proxy;
        proxy.attach(&target, "QWidget");
        // An empty object name leaves two adjacent quotes.
        QCOMPARE(errorOf([&] { proxy.typeError(nullptr); }),
                 "Type error: object \"\" of class \"QWidget\" accepts no parameter.");
    }

    void composedTextIsNoFormat()
    {
        const QString text = QStringLiteral("50% %s %n %d %1 %2 d\u00e9j\u00e0");
        QCOMPARE(errorOf([&] { raiseMessage(text); }), text);
        QCOMPARE(errorOf([&] { raiseWith("<%1|%2>", text, QStringLiteral("b")); }),
                 QStringLiteral("<%1|b>").arg(text));
    }

    void widgetDeletedAfterBinding()
    {
        STWidgetProxy proxy;
        auto *label = new QLabel;
        proxy.attach(label, "QLabel");
        delete label;
        QCOMPARE(errorOf([&] { proxy.mouse(QStringLiteral("MouseClick:LeftButton:::")); }),
                 QStringLiteral("Internal error, proxy without widget"));
        QCOMPARE(errorOf([&] { proxy.activate(QVariant(), QVariant()); }),
                 "\"activate\" is not implemented for widget of class \"unknown\"");
    }
};

TC_TEST_MAIN(tst_STWidgetProxy)
#include "tst_stwidgetproxy.moc"
