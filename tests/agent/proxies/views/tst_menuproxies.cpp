#include "../controls/controltestsupport.h"
#include "testmain.h"

#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/sterror.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

class TestMenuProxies : public QObject
{
    Q_OBJECT

private slots:
    void menuActivate_data();
    void menuActivate();
    void closedMenuHasNoFocus();
    void menuItemList();
    void menuPathDisabled_data();
    void menuPathDisabled();
    void barActivate_data();
    void barActivate();
    void barItemList();
    void barPathProperties_data();
    void barPathProperties();
};

namespace {

QAction *addDisabled(QMenu *menu, const QString &text)
{
    QAction *action = menu->addAction(text);
    action->setEnabled(false);
    return action;
}

QAction *addCheckable(QMenu *menu, const QString &text, bool checked)
{
    QAction *action = menu->addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// A popup menu with every kind of item a path has to find or step over. Counted items
// (visible, not separators) are numbered as "Item N" names them.
struct TestMenu
{
    TestMenu()
    {
        menu.setObjectName(QStringLiteral("menu"));
        menu.addAction(QStringLiteral("&Open  File"));               // 1
        menu.addAction(QStringLiteral("Hidden"))->setVisible(false); // -
        menu.addSeparator();                                         // -
        menu.addAction(QStringLiteral("Save/Load"));                 // 2
        QMenu *recent = menu.addMenu(QStringLiteral("&Recent"));     // 3
        recent->addAction(QStringLiteral("a.txt"));                  //   1
        recent->addAction(QStringLiteral("secret"))->setVisible(false);
        recent->addSeparator();
        recent->addAction(QString());                             //   2, unnamed
        QMenu *deep = recent->addMenu(QStringLiteral("Deep"));    //   3
        deep->addAction(QStringLiteral("Leaf"));                  //     1
        addDisabled(deep, QStringLiteral("Off"));                 //     2
        deep->addAction(QStringLiteral("A/B"));                   //     3
        QMenu *options = menu.addMenu(QStringLiteral("Options")); // 4
        addCheckable(options, QStringLiteral("Bold"), false);
        addCheckable(options, QStringLiteral("Italic"), true);
        options->addAction(QStringLiteral("Plain"));
        QMenu *locked = options->addMenu(QStringLiteral("Locked"));
        locked->setEnabled(false);
        locked->addAction(QStringLiteral("Inside"));
        menu.addAction(QStringLiteral("Item x"));                 // 5
        addDisabled(&menu, QStringLiteral("Disabled"));           // 6
        QMenu *archive = menu.addMenu(QStringLiteral("Archive")); // 7
        archive->menuAction()->setEnabled(false);
        archive->addAction(QStringLiteral("Old"));
        menu.addSeparator();
    }

    QMenu menu;
};

// A bar with menus to open, a hidden and a disabled one, a plain action and a separator,
// in a window of its own (its object name is "widget").
struct TestBar : Hosted
{
    TestBar() : Hosted(new QMenuBar), bar(static_cast<QMenuBar *>(widget))
    {
        QMenu *file = bar->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&Open"));
        QMenu *recent = file->addMenu(QStringLiteral("Recent"));
        recent->addAction(QStringLiteral("x"));
        QMenu *gone = recent->addMenu(QStringLiteral("Gone"));
        gone->setEnabled(false);
        gone->addAction(QStringLiteral("y"));
        QMenu *secret = bar->addMenu(QStringLiteral("Secret"));
        secret->menuAction()->setVisible(false);
        secret->addAction(QStringLiteral("s"));
        QMenu *view = bar->addMenu(QStringLiteral("&View"));
        addCheckable(view, QStringLiteral("&Toolbar"), true);
        addCheckable(view, QStringLiteral("Status"), false);
        view->addAction(QStringLiteral("Zoom"));
        QMenu *locked = bar->addMenu(QStringLiteral("Locked"));
        addCheckable(locked, QStringLiteral("Check"), true);
        locked->menuAction()->setEnabled(false);
        bar->addSeparator();
        bar->addAction(QStringLiteral("Plain"));
        window.resize(400, 200);
    }

    QMenuBar *bar;
};

// request() of the control tests for "activate" with both its values.
QString activate(QWidget *widget, const QVariant &path, const QVariant &check)
{
    STApplicationProxy registry;
    QString message;
    try {
        registry.activateWidget(widget, QString(), path, check);
    } catch (const STError &error) {
        message = error.message;
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return message;
}

QVariant readProperty(QWidget *widget, const char *name, const QVariant &parameter)
{
    STApplicationProxy registry;
    try {
        return registry.getProxyProperty(widget, QString(), QString::fromLatin1(name), parameter);
    } catch (const STError &error) {
        return error.message;
    }
}

// Watches a menu and, down its submenus, every menu below it.
void watchMenus(EventRecorder &recorder, QWidget *root)
{
    recorder.watch(root);
    for (QMenu *menu : root->findChildren<QMenu *>())
        recorder.watch(menu);
}

// What the menus and the bar received: key names, and "Click" for a press at the bar's
// top-right corner, e.g. "Click Down Down Right Return".
QString inputSequence(const EventRecorder &recorder, const QMenuBar *bar = nullptr)
{
    QStringList steps;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        if (entry.type == QEvent::KeyPress) {
            steps +=
                QString::fromLatin1(QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key)).mid(4);
        } else if (entry.type == QEvent::MouseButtonPress) {
            steps += bar && entry.pos == bar->rect().topRight()
                         ? QStringLiteral("Click")
                         : QStringLiteral("Press(%1,%2)").arg(entry.pos.x()).arg(entry.pos.y());
        }
    }
    return steps.join(QLatin1Char(' '));
}

QStringList triggeredTexts(const QSignalSpy &spy)
{
    QStringList texts;
    for (const QList<QVariant> &arguments : spy) {
        const QString text = arguments.at(0).value<QAction *>()->text();
        texts += text.isEmpty() ? QStringLiteral("(no text)") : text;
    }
    return texts;
}

const QVariant none;
const QString typeErrorString =
    QStringLiteral("Type error: object \"%1\" of class \"%2\" accepts string.");

} // namespace

void TestMenuProxies::menuActivate_data()
{
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("check");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("triggered");
    QTest::addColumn<QString>("keys");

    const QVariant yes(true);
    const QVariant no(false);
    // clang-format off
    QTest::newRow("mnemonic and repeated blanks need not be typed")
        << QVariant("Open File") << none << "" << "&Open  File" << "Down Return";
    QTest::newRow("a slashed text is one item")
        << QVariant("Save/Load") << none << "" << "Save/Load" << "Down Down Return";
    QTest::newRow("two levels of submenus, slashed text at the end")
        << QVariant("Recent/Deep/A/B") << none << "" << "A/B"
        << "Down Down Down Right Down Down Right Down Return";
    QTest::newRow("positions skip hidden items and separators")
        << QVariant("Item 3/Item 3/Item 1") << none << "" << "Leaf"
        << "Down Down Down Right Down Down Right Return";
    QTest::newRow("an unnamed item by the position itemList gives it")
        << QVariant("Recent/Item 2") << none << "" << "(no text)" << "Down Down Down Right Down Return";
    QTest::newRow("position zero names nothing")
        << QVariant("Item 0") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("position past the last item")
        << QVariant("Recent/Item 4") << none << "Invalid item" << ""
        << "Down Down Down Right Escape Escape";
    QTest::newRow("Item x is a bad position, not a text")
        << QVariant("Item x") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("texts are compared case-sensitively")
        << QVariant("open file") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("the empty path names an item without text")
        << QVariant("") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("a plain item has nothing below it")
        << QVariant("Open File/x") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("disabled at the first level")
        << QVariant("Disabled") << none << "Item is disabled" << "" << "Down Escape";
    QTest::newRow("disabled at the second level")
        << QVariant("Options/Locked/Inside") << none << "Item is disabled" << ""
        << "Down Down Down Down Right Escape Escape";
    QTest::newRow("disabled at the third level")
        << QVariant("Recent/Deep/Off") << none << "Item is disabled" << ""
        << "Down Down Down Right Down Down Right Escape Escape Escape";
    QTest::newRow("checkable, no wanted state: toggled")
        << QVariant("Options/Bold") << none << "" << "Bold" << "Down Down Down Down Right Return";
    QTest::newRow("checkable, to the other state")
        << QVariant("Options/Italic") << QVariant(no) << "" << "Italic"
        << "Down Down Down Down Right Down Return";
    QTest::newRow("checkable, already in the wanted state")
        << QVariant("Options/Italic") << QVariant(yes) << "" << ""
        << "Down Down Down Down Right Down Escape Escape";
    QTest::newRow("not checkable, no wanted state")
        << QVariant("Options/Plain") << none << "" << "Plain"
        << "Down Down Down Down Right Down Down Return";
    QTest::newRow("not checkable, with a wanted state")
        << QVariant("Options/Plain") << QVariant(yes) << "Item is not checkable" << ""
        << "Down Down Down Down Right Down Down Escape Escape";
    QTest::newRow("the path must be a string")
        << QVariant(3) << none << typeErrorString.arg("menu", "QMenu") << "" << "";
    QTest::newRow("the wanted state must be a boolean")
        << QVariant("Options/Bold") << QVariant("yes")
        << "Type error: object \"menu\" of class \"QMenu\" accepts bool, none." << "" << "";
    // clang-format on
}

void TestMenuProxies::menuActivate()
{
    QFETCH(QVariant, path);
    QFETCH(QVariant, check);
    QFETCH(QString, message);
    QFETCH(QString, triggered);
    QFETCH(QString, keys);

    TestMenu test;
    QSignalSpy spy(&test.menu, &QMenu::triggered);
    test.menu.popup(QPoint(50, 50));
    QTRY_COMPARE(QApplication::activePopupWidget(), &test.menu);
    EventRecorder recorder({QEvent::KeyPress});
    watchMenus(recorder, &test.menu);

    QCOMPARE(activate(&test.menu, path, check), message);
    // Without any input the menu stays open; after any, every menu is closed again.
    if (keys.isEmpty())
        QCOMPARE(QApplication::activePopupWidget(), &test.menu);
    else
        QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(triggeredTexts(spy).join(QLatin1Char(',')), triggered);
    QCOMPARE(inputSequence(recorder), keys);
}

void TestMenuProxies::closedMenuHasNoFocus()
{
    TestMenu test;
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    EventRecorder recorder({QEvent::KeyPress});
    watchMenus(recorder, &test.menu);
    QCOMPARE(activate(&test.menu, QVariant("Open File"), none), QStringLiteral("No focus"));
    QCOMPARE(recorder.count(), 0);
}

void TestMenuProxies::menuItemList()
{
    TestMenu test;
    QCOMPARE(readProperty(&test.menu, "itemList", none).toStringList(),
             QStringList({"Open File", "Hidden", "", "Save/Load", "Recent/a.txt", "Recent/Item 2",
                          "Recent/Deep/Leaf", "Recent/Deep/Off", "Recent/Deep/A/B", "Options/Bold",
                          "Options/Italic", "Options/Plain", "Options/Locked/Inside", "Item x",
                          "Disabled", "Archive/Old", ""}));
}

void TestMenuProxies::menuPathDisabled_data()
{
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("expected");

    const QString unreachable = QStringLiteral("Could not reach last item of path");
    QTest::newRow("enabled item") << QVariant("Open File") << QVariant(false);
    QTest::newRow("disabled item at the first level") << QVariant("Disabled") << QVariant(true);
    QTest::newRow("disabled item two levels down") << QVariant("Recent/Deep/Off") << QVariant(true);
    QTest::newRow("below a disabled first level") << QVariant("Archive/Old") << QVariant(false);
    QTest::newRow("a disabled submenu as the final item")
        << QVariant("Options/Locked") << QVariant(true);
    QTest::newRow("below a disabled submenu")
        << QVariant("Options/Locked/Inside") << QVariant(unreachable);
    QTest::newRow("no such item") << QVariant("Recent/Nothing") << QVariant(unreachable);
    QTest::newRow("below a plain item") << QVariant("Open File/x") << QVariant(unreachable);
    QTest::newRow("the path must be a string")
        << QVariant(1) << QVariant(typeErrorString.arg("menu", "QMenu"));
}

void TestMenuProxies::menuPathDisabled()
{
    QFETCH(QVariant, path);
    QFETCH(QVariant, expected);

    TestMenu test;
    QCOMPARE(readProperty(&test.menu, "pathDisabled", path), expected);
}

void TestMenuProxies::barActivate_data()
{
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("check");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("triggered");
    QTest::addColumn<QString>("input");

    // clang-format off
    QTest::newRow("a click on the bar, the menu opened, its item chosen")
        << QVariant("File/Open") << none << "" << "&Open" << "Click Down Return";
    QTest::newRow("a submenu of the bar's menu")
        << QVariant("File/Recent/x") << none << "" << "x" << "Click Down Down Right Return";
    QTest::newRow("positions count the visible menus of the bar")
        << QVariant("Item 2/Item 3") << none << "" << "Zoom" << "Click Down Down Down Return";
    QTest::newRow("a menu alone names no item")
        << QVariant("File") << none << "Invalid item" << "" << "Click Down Escape Escape";
    QTest::newRow("disabled two levels down")
        << QVariant("File/Recent/Gone/y") << none << "Item is disabled" << ""
        << "Click Down Down Right Escape Escape Escape";
    QTest::newRow("already in the wanted state")
        << QVariant("View/Toolbar") << QVariant(true) << "" << "" << "Click Down Escape Escape";
    QTest::newRow("into the wanted state")
        << QVariant("View/Status") << QVariant(true) << "" << "Status" << "Click Down Down Return";
    QTest::newRow("not checkable")
        << QVariant("View/Zoom") << QVariant(false) << "Item is not checkable" << ""
        << "Click Down Down Down Escape Escape";
    QTest::newRow("a disabled menu is never opened")
        << QVariant("Locked/Check") << none << "Invalid menu path" << "" << "";
    QTest::newRow("a hidden menu is never opened")
        << QVariant("Secret/s") << none << "Invalid menu path" << "" << "";
    QTest::newRow("a plain action of the bar")
        << QVariant("Plain") << none << "Invalid menu path" << "" << "";
    QTest::newRow("the path must be a string")
        << QVariant(7) << none << typeErrorString.arg("widget", "QMenuBar") << "" << "";
    // clang-format on
}

void TestMenuProxies::barActivate()
{
    QFETCH(QVariant, path);
    QFETCH(QVariant, check);
    QFETCH(QString, message);
    QFETCH(QString, triggered);
    QFETCH(QString, input);

    TestBar test;
    QVERIFY(test.show());
    QMenuBar *bar = test.bar;
    QSignalSpy spy(bar, &QMenuBar::triggered);
    EventRecorder recorder({QEvent::KeyPress, QEvent::MouseButtonPress});
    watchMenus(recorder, bar);

    QCOMPARE(activate(bar, path, check), message);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(triggeredTexts(spy).join(QLatin1Char(',')), triggered);
    QCOMPARE(inputSequence(recorder, bar), input);
    // Out of the keyboard navigation a closed menu leaves the bar in.
    QVERIFY(!bar->activeAction());
}

void TestMenuProxies::barItemList()
{
    TestBar test;
    QCOMPARE(
        readProperty(test.bar, "itemList", none).toStringList(),
        QStringList({"File/Open", "File/Recent/x", "File/Recent/Gone/y", "Secret/s", "View/Toolbar",
                     "View/Status", "View/Zoom", "Locked/Check", "", "Plain"}));
}

void TestMenuProxies::barPathProperties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("expected");

    // clang-format off
    QTest::newRow("checked") << "pathChecked" << QVariant("View/Toolbar") << QVariant(true);
    QTest::newRow("unchecked") << "pathChecked" << QVariant("View/Status") << QVariant(false);
    QTest::newRow("checked, not checkable")
        << "pathChecked" << QVariant("View/Zoom") << QVariant("Item is not checkable");
    QTest::newRow("checked, under a disabled menu")
        << "pathChecked" << QVariant("Locked/Check") << QVariant("Item is disabled");
    QTest::newRow("checked, below a disabled submenu")
        << "pathChecked" << QVariant("File/Recent/Gone/y") << QVariant("Item is disabled");
    QTest::newRow("checked, no such item")
        << "pathChecked" << QVariant("View/Nothing") << QVariant("Invalid item");
    QTest::newRow("disabled, under a disabled menu")
        << "pathDisabled" << QVariant("Locked/Check") << QVariant(false);
    QTest::newRow("disabled, a disabled submenu as the final item")
        << "pathDisabled" << QVariant("File/Recent/Gone") << QVariant(true);
    QTest::newRow("disabled, below a disabled submenu")
        << "pathDisabled" << QVariant("File/Recent/Gone/y") << QVariant("Gone is disabled");
    QTest::newRow("disabled, no such menu")
        << "pathDisabled" << QVariant("Nothing/x") << QVariant("Could not find Nothing");
    QTest::newRow("disabled, no such item")
        << "pathDisabled" << QVariant("File/Nothing") << QVariant("Could not find Nothing");
    QTest::newRow("disabled, below a plain item")
        << "pathDisabled" << QVariant("File/Open/x") << QVariant("Could not find x");
    QTest::newRow("disabled, the path must be a string")
        << "pathDisabled" << QVariant(2) << QVariant(typeErrorString.arg("widget", "QMenuBar"));
    // clang-format on
}

void TestMenuProxies::barPathProperties()
{
    QFETCH(QString, name);
    QFETCH(QVariant, path);
    QFETCH(QVariant, expected);

    TestBar test;
    QCOMPARE(readProperty(test.bar, name.toLatin1().constData(), path), expected);
}

TC_TEST_MAIN(TestMenuProxies)
#include "tst_menuproxies.moc"
