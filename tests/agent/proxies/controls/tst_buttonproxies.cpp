#include "controltestsupport.h"
#include "testmain.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

class tst_ButtonProxies : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void toolButtonParts_data();
    void toolButtonParts();
};

// A "push button", "toggle button", "radio button", "check box", "group box" with a check
// box, or "plain group box"; "checked " before the kind switches it on.
static QWidget *newControl(const QString &kind)
{
    QWidget *widget;
    if (kind.endsWith(QLatin1String("group box")))
        widget = new QGroupBox(QStringLiteral("Options"));
    else if (kind.endsWith(QLatin1String("check box")))
        widget = new QCheckBox(QStringLiteral("Keep scanning while docked"));
    else if (kind.endsWith(QLatin1String("radio button")))
        widget = new QRadioButton(QStringLiteral("Radio"));
    else
        widget = new QPushButton(QStringLiteral("Push"));
    const bool plain =
        kind.endsWith(QLatin1String("push button")) || kind.startsWith(QLatin1String("plain"));
    widget->setProperty("checkable", !plain);
    widget->setProperty("checked", kind.startsWith(QLatin1String("checked")));
    return widget;
}

void tst_ButtonProxies::requests_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("events");

    const QVariant on(true), off(false);
    const QString activate = "activate", mouse = "mouse", none;
    const QString click = "Press left, Release left", invalid = "Invalid string value";
    QTest::newRow("toggle button, on, wanted on: no click")
        << "checked toggle button" << activate << on << none << none;
    QTest::newRow("radio button clicked on its indicator")
        << "radio button" << activate << on << none << click;
    QTest::newRow("wide check box, on, wanted on: no click")
        << "checked check box" << activate << on << none << none;
    QTest::newRow("wide check box, on, wanted off: clicked on its box")
        << "checked check box" << activate << off << none << click;
    QTest::newRow("group box, on, wanted on: no click")
        << "checked group box" << activate << on << none << none;
    QTest::newRow("group box switched off on its title check box")
        << "checked group box" << activate << off << none << click;
    QTest::newRow("plain push button given a bool")
        << "push button" << activate << on << "Button is not a togglebutton" << none;
    QTest::newRow("toggle button given a string")
        << "toggle button" << activate << QVariant("true")
        << "Type error: object \"widget\" of class \"QPushButton\" accepts bool, none." << none;
    QTest::newRow("check box without a value")
        << "check box" << activate << QVariant()
        << "Type error: object \"widget\" of class \"QCheckBox\" accepts bool." << none;
    QTest::newRow("group box without a check box")
        << "plain group box" << activate << on << "activate, QGroupBox is not checkable" << none;

    QTest::newRow("mouse: left press, then left release")
        << "push button" << mouse << QVariant("MousePress:LeftButton::: MouseRelease:LeftButton:::")
        << none << click;
    QTest::newRow("mouse: a click with a position is refused")
        << "push button" << mouse << QVariant("MouseClick:LeftButton:0.5:0.5:") << invalid << none;
    QTest::newRow("mouse: words are case-sensitive")
        << "push button" << mouse << QVariant("mouseclick:leftbutton:::") << invalid << none;
}

void tst_ButtonProxies::requests()
{
    QFETCH(QString, kind);
    QFETCH(QString, operation);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, events);

    Hosted host(newControl(kind));
    const bool checked = host.widget->property("checked").toBool();
    EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::ContextMenu});
    recorder.watch(host.widget);
    // Far wider than any label: the middle of a check box is then empty space that does
    // not toggle it, so only a click on its own click area passes.
    host.window.resize(900, 60);
    QVERIFY(host.show());
    recorder.clear();

    // Several mouse commands, separated by spaces, go as one request each.
    const QStringList commands = value.toString().split(QLatin1Char(' '));
    for (const QString &command : commands)
        QCOMPARE(request(operation, host.widget, commands.size() > 1 ? command : value), message);
    // "Press left" for a MouseButtonPress of the left button, and so on.
    const auto seen = [&recorder] {
        QStringList names;
        for (const EventRecorder::Entry &entry : recorder.entries()) {
            names.append(QMetaEnum::fromType<QEvent::Type>().valueToKey(entry.type));
            names.last().remove(QLatin1String("MouseButton"));
            if (entry.type != QEvent::ContextMenu)
                names.last() += entry.button == Qt::LeftButton ? " left" : " right";
        }
        return names.join(QLatin1String(", "));
    };
    QTRY_COMPARE(seen(), events);
    // A click toggles a checkable widget only where it lands on the widget's click area.
    const bool checkable = host.widget->property("checkable").toBool();
    QCOMPARE(host.widget->property("checked").toBool(),
             checked != (checkable && !events.isEmpty()));
    // Mouse commands carry no position: they go to the middle of the button.
    for (const EventRecorder::Entry &entry : recorder.entries())
        QVERIFY(operation == QLatin1String("activate") ||
                entry.pos == host.widget->rect().center());
}

void tst_ButtonProxies::toolButtonParts_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<int>("triggered");
    QTest::addColumn<int>("menuShown");

    QTest::newRow("activate clicks the face and runs the default action")
        << "activate" << QVariant() << 1 << 0;
    QTest::newRow("left mouse click opens the menu on the arrow")
        << "mouse" << QVariant("MouseClick:LeftButton:::") << 0 << 1;
    QTest::newRow("right mouse click goes to the middle of the whole button")
        << "mouse" << QVariant("MouseClick:RightButton:::") << 0 << 0;
}

void tst_ButtonProxies::toolButtonParts()
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

    QCOMPARE(request(operation, button, command), QString());
    QTRY_COMPARE(presses.count(), 1);
    QTRY_COMPARE(shown, menuShown);
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(actionTriggered.count(), triggered);
    if (command.toString().contains(QLatin1String("RightButton")))
        QCOMPARE(presses.entries().first().pos, button->rect().center());
}

TC_TEST_MAIN(tst_ButtonProxies)
#include "tst_buttonproxies.moc"
