#include "controltestsupport.h"
#include "testmain.h"

#include "vcbutton.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

class TestButtonProxies : public QObject
{
    Q_OBJECT

private slots:
    void activate_data();
    void activate();
    void toolButtonParts_data();
    void toolButtonParts();
    void mouseCommands_data();
    void mouseCommands();
    void textPseudoProperty();
};

void TestButtonProxies::activate_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("initial");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("message");

    const QVariant none;
    QTest::newRow("push button without a value is clicked once")
        << "QPushButton" << false << false << none << 1 << "";
    QTest::newRow("toggle button given true while off is clicked")
        << "QPushButton" << true << false << QVariant(true) << 1 << "";
    QTest::newRow("toggle button given true while on is left alone")
        << "QPushButton" << true << true << QVariant(true) << 0 << "";
    QTest::newRow("toggle button without a value toggles")
        << "QPushButton" << true << true << none << 1 << "";
    QTest::newRow("radio button given true is clicked on its indicator")
        << "QRadioButton" << true << false << QVariant(true) << 1 << "";
    QTest::newRow("host command button is clicked")
        << "VCButton" << false << false << none << 1 << "";
    QTest::newRow("wide check box, on, wanted on: no click")
        << "QCheckBox" << true << true << QVariant(true) << 0 << "";
    QTest::newRow("wide check box, on, wanted off: clicked on its box")
        << "QCheckBox" << true << true << QVariant(false) << 1 << "";
    QTest::newRow("wide check box, off, wanted on: clicked on its box")
        << "QCheckBox" << true << false << QVariant(true) << 1 << "";
    QTest::newRow("group box switched off on its title check box")
        << "QGroupBox" << true << true << QVariant(false) << 1 << "";
    QTest::newRow("group box already off is left alone")
        << "QGroupBox" << true << false << QVariant(false) << 0 << "";

    QTest::newRow("plain push button given a bool is no toggle button")
        << "QPushButton" << false << false << QVariant(true) << 0 << "Button is not a togglebutton";
    QTest::newRow("push button given a string wants bool or none")
        << "QPushButton" << true << false << QVariant(QStringLiteral("true")) << 0
        << "Type error: object \"widget\" of class \"QPushButton\" accepts bool, none.";
    QTest::newRow("check box without a value wants a bool")
        << "QCheckBox" << true << false << none << 0
        << "Type error: object \"widget\" of class \"QCheckBox\" accepts bool.";
    QTest::newRow("group box given an int wants a bool")
        << "QGroupBox" << true << false << QVariant(1) << 0
        << "Type error: object \"widget\" of class \"QGroupBox\" accepts bool.";
    QTest::newRow("group box without a check box cannot be switched")
        << "QGroupBox" << false << false << QVariant(true) << 0
        << "activate, QGroupBox is not checkable";
}

void TestButtonProxies::activate()
{
    QFETCH(QString, kind);
    QFETCH(bool, checkable);
    QFETCH(bool, initial);
    QFETCH(QVariant, value);
    QFETCH(int, clicks);
    QFETCH(QString, message);

    QWidget *widget = nullptr;
    QScopedPointer<QSignalSpy> clicked;
    if (kind == QLatin1String("QGroupBox")) {
        auto *group = new QGroupBox(QStringLiteral("Options"));
        (new QVBoxLayout(group))->addWidget(new QPushButton(QStringLiteral("Inside")));
        group->setCheckable(checkable);
        group->setChecked(initial);
        clicked.reset(new QSignalSpy(group, &QGroupBox::clicked));
        widget = group;
    } else {
        QAbstractButton *button = nullptr;
        if (kind == QLatin1String("QCheckBox"))
            button = new QCheckBox(QStringLiteral("Keep scanning while docked"));
        else if (kind == QLatin1String("QRadioButton"))
            button = new QRadioButton(QStringLiteral("Radio"));
        else if (kind == QLatin1String("VCButton"))
            button = new VCButton(QStringLiteral("Command"));
        else
            button = new QPushButton(QStringLiteral("Push"));
        button->setCheckable(checkable);
        button->setChecked(initial);
        clicked.reset(new QSignalSpy(button, &QAbstractButton::clicked));
        widget = button;
    }
    Hosted host(widget);
    // Far wider than any label: the middle of a check box is then empty space that does
    // not toggle it, so only a click on its own click area passes.
    host.window.resize(900, 60);
    QVERIFY(host.show());

    QCOMPARE(request("activate", widget, value), message);
    deliverPostedInput();
    QTRY_COMPARE(clicked->count(), clicks);
    // Each click toggles a checkable widget; without a click its state stays.
    const bool expected = checkable && clicks ? !initial : initial;
    QCOMPARE(widget->property("checked").toBool(), expected);
}

void TestButtonProxies::toolButtonParts_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<int>("triggered");
    QTest::addColumn<int>("menuShown");

    QTest::newRow("activate clicks the face and runs the default action")
        << "activate" << QVariant() << 1 << 0;
    QTest::newRow("left mouse click opens the menu on the arrow")
        << "mouse" << QVariant(QStringLiteral("MouseClick:LeftButton:::")) << 0 << 1;
    QTest::newRow("right mouse click goes to the middle of the whole button")
        << "mouse" << QVariant(QStringLiteral("MouseClick:RightButton:::")) << 0 << 0;
}

void TestButtonProxies::toolButtonParts()
{
    QFETCH(QString, operation);
    QFETCH(QVariant, command);
    QFETCH(int, triggered);
    QFETCH(int, menuShown);

    auto *button = new QToolButton;
    auto *menu = new QMenu(button);
    menu->addAction(QStringLiteral("First"));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setDefaultAction(new QAction(QStringLiteral("Tool"), button));
    button->setMinimumSize(120, 40);
    int shown = 0;
    // The menu runs its own event loop while open: close it from inside that loop.
    connect(menu, &QMenu::aboutToShow, menu, [&shown, menu] {
        ++shown;
        QMetaObject::invokeMethod(menu, "close", Qt::QueuedConnection);
    });
    QSignalSpy actionTriggered(button->defaultAction(), &QAction::triggered);
    EventRecorder presses({QEvent::MouseButtonPress});
    presses.watch(button);
    Hosted host(button);
    QVERIFY(host.show());
    presses.clear();

    QCOMPARE(request(qPrintable(operation), button, command), QString());
    QTRY_COMPARE(presses.count(), 1);
    QTRY_COMPARE(shown, menuShown);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(actionTriggered.count(), triggered);
    if (command.toString().contains(QLatin1String("RightButton")))
        QCOMPARE(presses.entries().first().pos, button->rect().center());
}

void TestButtonProxies::mouseCommands_data()
{
    QTest::addColumn<QVariantList>("commands");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("message");

    QTest::newRow("left press then left release")
        << QVariantList{"MousePress:LeftButton:::", "MouseRelease:LeftButton:::"}
        << QStringList{"press left", "release left"} << "";
    QTest::newRow("right press then right release asks for the context menu")
        << QVariantList{"MousePress:RightButton:::", "MouseRelease:RightButton:::"}
        << QStringList{"press right", "release right", "context menu"} << "";
    QTest::newRow("left click") << QVariantList{"MouseClick:LeftButton:::"}
                                << QStringList{"press left", "release left"} << "";
    QTest::newRow("right click") << QVariantList{"MouseClick:RightButton:::"}
                                 << QStringList{"press right", "release right", "context menu"}
                                 << "";
    QTest::newRow("left double click")
        << QVariantList{"MouseDoubleClick:LeftButton:::"}
        << QStringList{"press left", "release left", "double-click left"} << "";
    QTest::newRow("right double click")
        << QVariantList{"MouseDoubleClick:RightButton:::"}
        << QStringList{"press right", "release right", "context menu", "double-click right"} << "";
    QTest::newRow("a click with a position is refused")
        << QVariantList{"MouseClick:LeftButton:0.5:0.5:"} << QStringList()
        << "Invalid string value";
    QTest::newRow("a click with a modifier is refused")
        << QVariantList{"MouseClick:LeftButton:::ShiftModifier"} << QStringList()
        << "Invalid string value";
    QTest::newRow("words are case-sensitive")
        << QVariantList{"mouseclick:leftbutton:::"} << QStringList() << "Invalid string value";
    QTest::newRow("an int is no command")
        << QVariantList{3} << QStringList()
        << "Type error: object \"widget\" of class \"QPushButton\" accepts string.";
}

void TestButtonProxies::mouseCommands()
{
    QFETCH(QVariantList, commands);
    QFETCH(QStringList, events);
    QFETCH(QString, message);

    Hosted host(new QPushButton(QStringLiteral("Push")));
    EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::ContextMenu});
    recorder.watch(host.widget);
    QVERIFY(host.show());
    recorder.clear();

    for (const QVariant &command : qAsConst(commands))
        QCOMPARE(request("mouse", host.widget, command), message);
    deliverPostedInput();
    QTRY_COMPARE(recorder.count(), events.size());
    QCOMPARE(mouseSequence(recorder), events);
    for (const EventRecorder::Entry &entry : recorder.entries())
        QCOMPARE(entry.pos, host.widget->rect().center());
}

void TestButtonProxies::textPseudoProperty()
{
    QPushButton button(QStringLiteral("&OK && go"));
    STApplicationProxy registry;
    QCOMPARE(registry.getProxyProperty(&button, QString(), QStringLiteral("text"), QVariant()),
             QVariant(QStringLiteral("OK && go")));
    const QVariant names = registry.getProxyProperty(
        &button, QString(), QStringLiteral("pseudoPropertyNames"), QVariant());
    QCOMPARE(names.toStringList().mid(5), QStringList{QStringLiteral("text")});
}

TC_TEST_MAIN(TestButtonProxies)
#include "tst_buttonproxies.moc"
