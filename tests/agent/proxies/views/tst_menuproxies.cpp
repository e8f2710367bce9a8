#include "../controls/controltestsupport.h"
#include "testmain.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

class tst_MenuProxies : public QObject
{
    Q_OBJECT

private slots:
    void activate_data();
    void activate();
    void closedMenuHasNoFocus();
    void barEndsInAWindowWithAFocusedField_data();
    void barEndsInAWindowWithAFocusedField();
    void properties_data();
    void properties();
};

namespace {

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
        recent->addAction(QString());                              //   2, unnamed
        QMenu *deep = recent->addMenu(QStringLiteral("Deep"));     //   3
        deep->addAction(QStringLiteral("Leaf"));                   //     1
        deep->addAction(QStringLiteral("Off"))->setEnabled(false); //     2
        deep->addAction(QStringLiteral("A/B"));                    //     3
        QMenu *options = menu.addMenu(QStringLiteral("Options"));  // 4
        addCheckable(options, QStringLiteral("Bold"), false);
        addCheckable(options, QStringLiteral("Italic"), true);
        options->addAction(QStringLiteral("Plain"));
        QMenu *locked = options->addMenu(QStringLiteral("Locked"));
        locked->setEnabled(false);
        locked->addAction(QStringLiteral("Inside"));
        menu.addAction(QStringLiteral("Item x"));                      // 5
        menu.addAction(QStringLiteral("Disabled"))->setEnabled(false); // 6
        QMenu *archive = menu.addMenu(QStringLiteral("Archive"));      // 7
        archive->menuAction()->setEnabled(false);
        archive->addAction(QStringLiteral("Old"));
        menu.addSeparator();
    }

    QMenu menu;
};

// A bar with menus to open, a hidden and a disabled one, a disabled item, a plain action
// and a separator, in a window of its own (its object name is "widget").
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
        file->addAction(QStringLiteral("Cut"))->setEnabled(false);
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

// What the menus and the bar received: key names, and "Click" for a press at the bar's
// top-right corner, e.g. "Click Down Down Right Return".
QString inputSequence(const EventRecorder &recorder, const QMenuBar *bar)
{
    QStringList steps;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        if (entry.type == QEvent::KeyPress)
            steps += QString(QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key)).mid(4);
        else if (entry.pos == bar->rect().topRight())
            steps += QStringLiteral("Click");
        else
            steps += QStringLiteral("Press(%1,%2)").arg(entry.pos.x()).arg(entry.pos.y());
    }
    return steps.join(QLatin1Char(' '));
}

const QVariant none;

} // namespace

void tst_MenuProxies::activate_data()
{
    QTest::addColumn<bool>("onBar");
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("check");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("triggered");
    QTest::addColumn<QString>("input");

    // clang-format off
    QTest::newRow("mnemonic and repeated blanks need not be typed")
        << false << QVariant("Open File") << none << "" << "&Open  File" << "Down Return";
    QTest::newRow("a slashed text is one item")
        << false << QVariant("Save/Load") << none << "" << "Save/Load" << "Down Down Return";
    QTest::newRow("two levels of submenus, slashed text at the end")
        << false << QVariant("Recent/Deep/A/B") << none << "" << "A/B"
        << "Down Down Down Right Down Down Right Down Return";
    QTest::newRow("positions skip hidden items and separators")
        << false << QVariant("Item 3/Item 3/Item 1") << none << "" << "Leaf"
        << "Down Down Down Right Down Down Right Return";
    QTest::newRow("an unnamed item by the position itemList gives it")
        << false << QVariant("Recent/Item 2") << none << "" << "(no text)" << "Down Down Down Right Down Return";
    QTest::newRow("position past the last item")
        << false << QVariant("Recent/Item 4") << none << "Invalid item" << ""
        << "Down Down Down Right Escape Escape";
    QTest::newRow("Item x is a bad position, not a text")
        << false << QVariant("Item x") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("a plain item has nothing below it")
        << false << QVariant("Open File/x") << none << "Invalid item" << "" << "Down Escape";
    QTest::newRow("disabled at the first level")
        << false << QVariant("Disabled") << none << "Item is disabled" << "" << "Down Escape";
    QTest::newRow("disabled at the second level")
        << false << QVariant("Options/Locked/Inside") << none << "Item is disabled" << ""
        << "Down Down Down Down Right Escape Escape";
    QTest::newRow("disabled at the third level")
        << false << QVariant("Recent/Deep/Off") << none << "Item is disabled" << ""
        << "Down Down Down Right Down Down Right Escape Escape Escape";
    QTest::newRow("checkable, no wanted state: toggled")
        << false << QVariant("Options/Bold") << none << "" << "Bold" << "Down Down Down Down Right Return";
    QTest::newRow("checkable, already in the wanted state")
        << false << QVariant("Options/Italic") << QVariant(true) << "" << ""
        << "Down Down Down Down Right Down Escape Escape";
    QTest::newRow("not checkable, with a wanted state")
        << false << QVariant("Options/Plain") << QVariant(true) << "Item is not checkable" << ""
        << "Down Down Down Down Right Down Down Escape Escape";
    QTest::newRow("the wanted state must be a boolean")
        << false << QVariant("Options/Bold") << QVariant("yes")
        << "Type error: object \"menu\" of class \"QMenu\" accepts bool, none." << "" << "";

    QTest::newRow("bar: a click on it, the menu opened, its item chosen")
        << true << QVariant("File/Open") << none << "" << "&Open" << "Click Down Return";
    QTest::newRow("bar: positions count its visible menus")
        << true << QVariant("Item 2/Item 3") << none << "" << "Zoom" << "Click Down Down Down Return";
    QTest::newRow("bar: a menu alone names no item")
        << true << QVariant("File") << none << "Invalid item" << "" << "Click Down Escape Escape";
    QTest::newRow("bar: disabled two levels down")
        << true << QVariant("File/Recent/Gone/y") << none << "Item is disabled" << ""
        << "Click Down Down Right Escape Escape Escape";
    QTest::newRow("bar: already in the wanted state")
        << true << QVariant("View/Toolbar") << QVariant(true) << "" << "" << "Click Down Escape Escape";
    QTest::newRow("bar: not checkable")
        << true << QVariant("View/Zoom") << QVariant(false) << "Item is not checkable" << ""
        << "Click Down Down Down Escape Escape";
    QTest::newRow("bar: a disabled menu is never opened")
        << true << QVariant("Locked/Check") << none << "Invalid menu path" << "" << "";
    // clang-format on
}

void tst_MenuProxies::activate()
{
    QFETCH(bool, onBar);
    QFETCH(QVariant, path);
    QFETCH(QVariant, check);
    QFETCH(QString, message);
    QFETCH(QString, triggered);
    QFETCH(QString, input);

    TestMenu menu;
    TestBar bar;
    QWidget *target = onBar ? static_cast<QWidget *>(bar.bar) : &menu.menu;
    if (onBar) {
        QVERIFY(bar.show());
    } else {
        menu.menu.popup(QPoint(50, 50));
        QTRY_COMPARE(QApplication::activePopupWidget(), &menu.menu);
    }
    QStringList chosen;
    for (QAction *action : target->findChildren<QAction *>()) {
        connect(action, &QAction::triggered, this, [&chosen, action] {
            chosen += action->text().isEmpty() ? QStringLiteral("(no text)") : action->text();
        });
    }
    EventRecorder recorder({QEvent::KeyPress, QEvent::MouseButtonPress});
    recorder.watch(target);
    for (QMenu *submenu : target->findChildren<QMenu *>())
        recorder.watch(submenu);

    QCOMPARE(::activate(target, path, check), message);
    // Without any input the menu stays open; after any, every menu is closed again.
    if (input.isEmpty() && !onBar)
        QCOMPARE(QApplication::activePopupWidget(), &menu.menu);
    else
        QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(chosen.join(QLatin1Char(',')), triggered);
    QCOMPARE(inputSequence(recorder, bar.bar), input);
    // Out of the keyboard navigation a menu closed by Escape leaves the bar in.
    QVERIFY(!bar.bar->activeAction());
}

void tst_MenuProxies::barEndsInAWindowWithAFocusedField_data()
{
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QVariant>("check");
    QTest::addColumn<QString>("message");

    QTest::newRow("already in the wanted state")
        << QVariant("View/Toolbar") << QVariant(true) << "";
    QTest::newRow("disabled two levels down")
        << QVariant("File/Recent/Gone/y") << none << "Item is disabled";
}

// The Escapes that close the menus after a walk ends go wherever the focus is then, here
// to the field that had it before: the walk's own outcome stands.
void tst_MenuProxies::barEndsInAWindowWithAFocusedField()
{
    QFETCH(QVariant, path);
    QFETCH(QVariant, check);
    QFETCH(QString, message);

    TestBar bar;
    QLineEdit field;
    bar.window.layout()->addWidget(&field);
    QVERIFY(bar.show());
    field.setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), &field);
    QCOMPARE(::activate(bar.bar, path, check), message);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void tst_MenuProxies::closedMenuHasNoFocus()
{
    TestMenu test;
    EventRecorder recorder({QEvent::KeyPress});
    recorder.watch(&test.menu);
    QCOMPARE(::activate(&test.menu, QVariant("Open File"), none), QStringLiteral("No focus"));
    QCOMPARE(recorder.count(), 0);
}

void tst_MenuProxies::properties_data()
{
    QTest::addColumn<bool>("onBar");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    const QString unreachable = QStringLiteral("Could not reach last item of path");
    // clang-format off
    QTest::newRow("menu items: hidden ones and separators too at the top, only counted below")
        << false << "itemList" << none
        << QVariant(QStringList{"Open File", "Hidden", "", "Save/Load", "Recent/a.txt", "Recent/Item 2",
                                "Recent/Deep/Leaf", "Recent/Deep/Off", "Recent/Deep/A/B", "Options/Bold",
                                "Options/Italic", "Options/Plain", "Options/Locked/Inside", "Item x",
                                "Disabled", "Archive/Old", ""});
    QTest::newRow("menu: disabled at the first level")
        << false << "pathDisabled" << QVariant("Disabled") << QVariant(true);
    QTest::newRow("menu: enabled below a disabled first level")
        << false << "pathDisabled" << QVariant("Archive/Old") << QVariant(false);
    QTest::newRow("menu: a disabled submenu as the final item")
        << false << "pathDisabled" << QVariant("Options/Locked") << QVariant(true);
    QTest::newRow("menu: below a disabled submenu")
        << false << "pathDisabled" << QVariant("Options/Locked/Inside") << QVariant(unreachable);

    QTest::newRow("bar items")
        << true << "itemList" << none
        << QVariant(QStringList{"File/Open", "File/Recent/x", "File/Recent/Gone/y", "File/Cut",
                                "Secret/s", "View/Toolbar", "View/Status", "View/Zoom", "Locked/Check",
                                "", "Plain"});
    QTest::newRow("bar: checked") << true << "pathChecked" << QVariant("View/Toolbar") << QVariant(true);
    QTest::newRow("bar: checked, not checkable")
        << true << "pathChecked" << QVariant("View/Zoom") << QVariant("Item is not checkable");
    QTest::newRow("bar: checked, under a disabled menu")
        << true << "pathChecked" << QVariant("Locked/Check") << QVariant("Item is disabled");
    QTest::newRow("bar: checked, no such item")
        << true << "pathChecked" << QVariant("View/Nothing") << QVariant("Invalid item");
    QTest::newRow("bar: disabled, under a disabled menu")
        << true << "pathDisabled" << QVariant("Locked/Check") << QVariant(false);
    QTest::newRow("bar: disabled, below a disabled submenu")
        << true << "pathDisabled" << QVariant("File/Recent/Gone/y") << QVariant("Gone is disabled");
    QTest::newRow("bar: disabled, no such item")
        << true << "pathDisabled" << QVariant("File/Nothing") << QVariant("Could not find Nothing");
    QTest::newRow("bar: disabled, below a plain item")
        << true << "pathDisabled" << QVariant("File/Open/x") << QVariant("Could not find x");
    QTest::newRow("bar: disabled, no such menu")
        << true << "pathDisabled" << QVariant("Nothing/x") << QVariant("Could not find Nothing");
    QTest::newRow("bar: checked, below a plain item")
        << true << "pathChecked" << QVariant("File/Open/x") << QVariant("Invalid item");
    // A disabled item inside a path: each property stops at it for a reason of its own.
    QTest::newRow("bar: checked, below a disabled item")
        << true << "pathChecked" << QVariant("File/Cut/x") << QVariant("Invalid item");
    QTest::newRow("bar: disabled, below a disabled item")
        << true << "pathDisabled" << QVariant("File/Cut/x") << QVariant("Cut is disabled");
    QTest::newRow("menu: below a plain item")
        << false << "pathDisabled" << QVariant("Open File/x") << QVariant(unreachable);
    // clang-format on
}

void tst_MenuProxies::properties()
{
    QFETCH(bool, onBar);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    TestMenu menu;
    TestBar bar;
    QCOMPARE(viewProperty(onBar ? static_cast<QWidget *>(bar.bar) : &menu.menu, name, parameter),
             expected);
}

TC_TEST_MAIN(tst_MenuProxies)
#include "tst_menuproxies.moc"
