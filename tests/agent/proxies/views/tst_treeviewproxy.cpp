#include "listtreetestsupport.h"
#include "testmain.h"

#include "proxies/framework/stinputcontrol.h"
#include "proxies/views/stqtreeview.h"
#include "protocol/wiretext.h"

#include <QHeaderView>
#include <QShortcut>

// A two-column tree, in pre-order, behind each kind of view:
//   0 Fruit:3 (expanded)   3 A:          6 Veg:5 (collapsed)   8 Secret:0 (hidden row)
//   1   Apple:1            4 A:          7   Leek:4            9   Deep:1
//   2   Pear:2             5   x:9
static const QVector<NodeSpec> Nodes{
    {-1, {"Fruit", "3"}},  {0, {"Apple", "1"}}, {0, {"Pear", "2"}}, {-1, {"A", ""}},
    {-1, {"A", ""}},       {4, {"x", "9"}},     {-1, {"Veg", "5"}}, {6, {"Leek", "4"}},
    {-1, {"Secret", "0"}}, {8, {"Deep", "1"}}};
static const int HiddenNode = 8;

struct ShownTree : ShownView
{
    explicit ShownTree(const QString &kind)
        : ShownView(kind, true, Nodes), tree(static_cast<QTreeView *>(view))
    {
        view->model()->setHeaderData(0, Qt::Horizontal, "Name");
        view->model()->setHeaderData(1, Qt::Horizontal, "Count");
        tree->setRowHidden(index(HiddenNode).row(), QModelIndex(), true);
        tree->expand(index(0));
    }
    QString currentPath() const { return viewProperty(view, "currentPath").toString(); }
    QTreeView *tree;
};

class tst_TreeViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void properties_data();
    void properties();
    void activate_data();
    void activate();
    void enter_data();
    void enter();
    void mouseAimsAtCurrentItem();
    void arrowKeysThatTheProgramBinds();
    void separatorsInTexts_data();
    void separatorsInTexts();
};

void tst_TreeViewProxy::properties_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("hideCount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    for (const char *kind : Kinds) {
        kindRow(kind, "a path of first cells")
            << false << "itemPath" << QVariant("Fruit/Pear") << QVariant("Fruit:3/Pear:2");
        kindRow(kind, "a path with a wrong cell")
            << false << "itemPath" << QVariant("Fruit:4/Pear") << QVariant("Invalid item path");
        kindRow(kind, "an element with more fields than the row has")
            << false << "itemPath" << QVariant("Fruit:3:x/Pear") << QVariant("Invalid item path");
        kindRow(kind, "equal siblings: the one under which the rest exists")
            << false << "itemPath" << QVariant("A/x") << QVariant("A:/x:9");
        kindRow(kind, "a child in a collapsed branch")
            << false << "itemPath" << QVariant("Veg/Leek") << QVariant("Veg:5/Leek:4");
        kindRow(kind, "a hidden row") << false << "itemIsEnabled" << QVariant("Secret")
                                      << QVariant("item \"Secret:0\" is hidden");
        kindRow(kind, "no path") << false << "itemPath" << QVariant()
                                 << QVariant("Missing item path");
        kindRow(kind, "hidden column: row texts lose its cells")
            << true << "itemPath" << QVariant("Fruit/Pear") << QVariant("Fruit/Pear");
        kindRow(kind, "hidden column: its cells no longer match")
            << true << "itemPath" << QVariant("Fruit:3") << QVariant("Invalid item path");
        kindRow(kind, "hidden column: left out of the item's texts")
            << true << "itemTextList" << QVariant("Veg") << QVariant(QStringList{"Veg"});
        kindRow(kind, "pathList leaves hidden rows out and lists collapsed branches")
            << false << "pathList" << QVariant()
            << QVariant(QStringList{"Fruit:3", "Fruit:3/Apple:1", "Fruit:3/Pear:2",
                                    "A:", "A:", "A:/x:9", "Veg:5", "Veg:5/Leek:4"});
        kindRow(kind, "pathList with a hidden column")
            << true << "pathList" << QVariant()
            << QVariant(QStringList{"Fruit", "Fruit/Apple", "Fruit/Pear", "A", "A", "A/x", "Veg",
                                    "Veg/Leek"});
        kindRow(kind, "header texts in visual order, hidden ones left out")
            << false << "columnTextList" << QVariant() << QVariant(QStringList{"Count", "Name"});
        kindRow(kind, "topLevelItemCount counts hidden rows")
            << false << "topLevelItemCount" << QVariant() << QVariant(5);
        kindRow(kind, "currentPath without a current item")
            << false << "currentPath" << QVariant() << QVariant("");
        kindRow(kind, "a collapsed branch is not open")
            << false << "itemIsOpen" << QVariant("Veg") << QVariant(false);
        kindRow(kind, "a leaf is not expandable")
            << false << "itemIsExpandable" << QVariant("Veg/Leek") << QVariant(false);
    }
}

void tst_TreeViewProxy::properties()
{
    QFETCH(QString, kind);
    QFETCH(bool, hideCount);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    ShownTree tree(kind);
    tree.tree->setColumnHidden(1, hideCount);
    tree.tree->header()->moveSection(1, 0);
    QVERIFY(tree.show(-1));
    QCOMPARE(viewProperty(tree.view, name, parameter), expected);
}

void tst_TreeViewProxy::activate_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("current");
    QTest::addColumn<QVariant>("items");
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("selected");

    const QString none;
    for (const char *kind : Kinds) {
        kindRow(kind, "down from the top row")
            << "" << 0 << QVariant("Fruit/Pear") << QVariant("z") << none << "<Up><Right><Down>z"
            << QStringList{"Fruit:3/Pear:2"};
        kindRow(kind, "from below, up to the top and down again")
            << "" << 3 << QVariant("Fruit/Apple") << QVariant() << none << "<Up><Up><Up><Up><Right>"
            << QStringList{"Fruit:3/Apple:1"};
        kindRow(kind, "into a collapsed branch with '+' and Right")
            << "" << 0 << QVariant("Veg/Leek") << QVariant() << none
            << "<Up><Down><Down><Down><Down><Down><Plus><Right>" << QStringList{"Veg:5/Leek:4"};
        kindRow(kind, "equal siblings: into the second A")
            << "" << 0 << QVariant("A/x") << QVariant() << none
            << "<Up><Down><Down><Down><Down><Plus><Right>" << QStringList{"A:/x:9"};
        kindRow(kind, "the current, selected item: only the terminating key")
            << "" << 2 << QVariant("Fruit/Pear") << QVariant("z") << none << "z"
            << QStringList{"Fruit:3/Pear:2"};
        kindRow(kind, "a hidden row's child cannot be reached")
            << "" << 0 << QVariant("Secret/Deep") << QVariant() << "item is not selectable"
            << "<Up><Down><Down><Down><Down><Down><Down>" << QStringList{"Veg:5"};
        // Extended selection: the first item is selected by moving there; Control keeps it
        // selected while the keys move on to the next, which Control+Space adds.
        kindRow(kind, "extended: two items, the second with Control held")
            << "extended" << 0 << QVariant(QStringList{"Fruit/Apple", "Fruit/Pear"}) << QVariant()
            << none
            << "<Up><Right><Control+Up><Control+Up><Control+Right><Control+Down><Control+Space>"
            << QStringList{"Fruit:3/Apple:1", "Fruit:3/Pear:2"};
        kindRow(kind, "multi-selection: the current item deselected by Space first")
            << "multi" << 2 << QVariant(QStringList{"Fruit"}) << QVariant() << none
            << "<Space><Up><Up><Up><Space>" << QStringList{"Fruit:3"};
        kindRow(kind, "hidden row")
            << "" << 0 << QVariant("Secret") << QVariant() << "item \"Secret:0\" is hidden" << none
            << QStringList{"Fruit:3"};
        kindRow(kind, "disabled item")
            << "disabled" << 0 << QVariant("Veg") << QVariant() << "item \"Veg:5\" is not enabled"
            << none << QStringList{"Fruit:3"};
        kindRow(kind, "view without selection")
            << "none" << 0 << QVariant("Veg") << QVariant() << "list view is not selectable" << none
            << QStringList();
        kindRow(kind, "several items in single selection")
            << "" << 0 << QVariant(QStringList{"Veg"}) << QVariant()
            << "selection of more than one item is not possible in single selection mode" << none
            << QStringList{"Fruit:3"};
        // Qt Linguist hides column 0; the application made its cell current. Right steps
        // into a branch from column 0 only: Down does it here.
        kindRow(kind, "column 0 hidden: into a collapsed branch")
            << "no column 0" << 0 << QVariant("5/4") << QVariant() << none
            << "<Up><Down><Down><Down><Down><Down><Plus><Down>" << QStringList{"5/4"};
        kindRow(kind, "column 0 hidden: into an open branch")
            << "no column 0" << 0 << QVariant("3/2") << QVariant() << none << "<Up><Down><Down>"
            << QStringList{"3/2"};
    }
}

void tst_TreeViewProxy::activate()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(int, current);
    QFETCH(QVariant, items);
    QFETCH(QVariant, key);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QStringList, selected);

    ShownTree tree(kind);
    if (setup == QLatin1String("extended"))
        tree.view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (setup == QLatin1String("multi"))
        tree.view->setSelectionMode(QAbstractItemView::MultiSelection);
    if (setup == QLatin1String("none"))
        tree.view->setSelectionMode(QAbstractItemView::NoSelection);
    if (setup == QLatin1String("disabled"))
        tree.flagSetters[6](ShownView::AllFlags & ~Qt::ItemIsEnabled);
    tree.tree->setColumnHidden(0, setup == QLatin1String("no column 0"));
    QVERIFY(tree.show(current));
    if (setup == QLatin1String("multi")) {
        tree.view->selectionModel()->select(tree.index(2), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    }

    QCOMPARE(::activate(tree.view, items, key), message);
    QTRY_COMPARE(pressedKeys(tree.recorder), keys);
    QStringList paths;
    for (const QModelIndex &index : tree.view->selectionModel()->selectedRows())
        paths.append(STQTreeView::itemPath(tree.tree, index, WireText::Mode::Plain));
    paths.sort();
    QCOMPARE(paths, selected);
}

void tst_TreeViewProxy::enter_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QVariant>("end"); // the check state, or the current item's path

    const QString none, syntax = "Syntax Error, format \"%d:%s\" expected";
    const QVariant unchecked(int(Qt::Unchecked)), checked(int(Qt::Checked));
    for (const char *kind : Kinds) {
        kindRow(kind, "check a partially checked item")
            << "partial" << QVariant(true) << none << "<Space>" << checked;
        kindRow(kind, "check a checked item: no keys")
            << "checked" << QVariant(true) << none << none << checked;
        kindRow(kind, "uncheck a checked item")
            << "checked" << QVariant(false) << none << "<Space>" << unchecked;
        kindRow(kind, "uncheck a partially checked item: twice Space")
            << "partial" << QVariant(false) << none << "<Space><Space>" << unchecked;
        kindRow(kind, "second column replaced")
            << "" << QVariant("1:abc") << none << "<F2><Backspace>abc<Return>"
            << QVariant("Fruit:3/Pear:abc");
        kindRow(kind, "the text may hold ':'")
            << "" << QVariant("0:a:b") << none << "<F2><Backspace>a:b<Return>"
            << QVariant("Fruit:3/a:b:2");
        // A leading empty cell leaves no separator in the row text.
        kindRow(kind, "no text empties the cell")
            << "" << QVariant("0") << none << "<F2><Backspace><Return>" << QVariant("Fruit:3/2");
        kindRow(kind, "no column number")
            << "" << QVariant("x:abc") << syntax << none << QVariant("Fruit:3/Pear:2");
        kindRow(kind, "column above the range")
            << "" << QVariant("5:abc") << "Invalid column 5 is out of range [0, 1]" << none
            << QVariant("Fruit:3/Pear:2");
        kindRow(kind, "read-only cell")
            << "read-only" << QVariant("1:abc") << "Item at column 1 is not editable" << none
            << QVariant("Fruit:3/Pear:2");
        kindRow(kind, "hidden current item")
            << "hidden current" << QVariant("1:abc") << "item \"Secret:0\" is hidden" << none
            << QVariant("Secret:0");
    }
}

void tst_TreeViewProxy::enter()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QVariant, end);

    ShownTree tree(kind);
    if (setup == QLatin1String("read-only"))
        tree.flagSetters[2](Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (setup == QLatin1String("partial") || setup == QLatin1String("checked"))
        tree.view->model()->setData(tree.index(2), setup == "partial" ? 1 : 2, Qt::CheckStateRole);
    EditorWatcher editors(tree.view, &tree.recorder);
    QVERIFY(tree.show(setup == QLatin1String("hidden current") ? HiddenNode : 2));
    tree.recorder.clear();

    QCOMPARE(request("enter", tree.view, value), message);
    // The editor hands Return on to the view: it is seen there as well.
    QTRY_COMPARE(pressedKeys(tree.recorder).replace("<Return><Return>", "<Return>"), keys);
    if (value.userType() == QMetaType::Bool)
        QCOMPARE(tree.index(2).data(Qt::CheckStateRole), end);
    else
        QTRY_COMPARE(tree.currentPath(), end.toString());
}

void tst_TreeViewProxy::mouseAimsAtCurrentItem()
{
    ShownTree tree("standard");
    QVERIFY(tree.show(2));
    EventRecorder recorder({QEvent::MouseButtonPress});
    recorder.watch(tree.view->viewport());
    tree.view->setCurrentIndex(tree.index(2).siblingAtColumn(1));

    QCOMPARE(request("mouse", tree.view, "MousePress:LeftButton:0:0:ControlModifier"), QString());
    const QPoint centre = tree.view->visualRect(tree.index(2).siblingAtColumn(1)).center();
    QTRY_COMPARE(recorder.lines(),
                 QStringList{QStringLiteral("MouseButtonPress LeftButton buttons=LeftButton "
                                            "(%1,%2) ControlModifier")
                                 .arg(centre.x())
                                 .arg(centre.y())});
}

// Qt Designer's "templates/forms", beside a "templates" branch whose "forms" prints the
// same in the plain mode:
//   0 templates/forms:1   2 templates:2   4 C:\temp:4
//   1   Main Window:a:b   3   forms:3
// A program may bind the arrow keys of its view to moves of its own (QGit's commit list does):
// the request is judged by the item it makes current, not by which object took each key.
void tst_TreeViewProxy::arrowKeysThatTheProgramBinds()
{
    ShownTree tree("standard");
    for (const int key : {int(Qt::Key_Up), int(Qt::Key_Down)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), &tree.host.window);
        QObject::connect(shortcut, &QShortcut::activated, tree.view, [&tree, key] {
            const QModelIndex current = tree.view->currentIndex();
            const QModelIndex next =
                key == Qt::Key_Up ? tree.tree->indexAbove(current) : tree.tree->indexBelow(current);
            if (next.isValid())
                tree.view->setCurrentIndex(next);
        });
    }
    QVERIFY(tree.show(6));
    QCOMPARE(::activate(tree.view, QStringLiteral("Fruit/Pear"), QVariant()), QString());
    QCOMPARE(tree.currentPath(), QStringLiteral("Fruit:3/Pear:2"));
    QCOMPARE(pressedKeys(tree.recorder), QStringLiteral("<Right>")); // Up and Down: shortcuts
}

void tst_TreeViewProxy::separatorsInTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    for (const char *kind : Kinds) {
        kindRow(kind, "plain: pathList prints texts as they are")
            << false << "pathList" << QVariant()
            << QVariant(QStringList{"templates/forms:1", "templates/forms:1/Main Window:a:b",
                                    "templates:2", "templates:2/forms:3", "C:\\temp:4"});
        kindRow(kind, "plain: a path as printed")
            << false << "itemPath" << QVariant("templates/forms/Main Window")
            << QVariant("templates/forms:1/Main Window:a:b");
        kindRow(kind, "plain: '/' between levels wins where both read")
            << false << "itemPath" << QVariant("templates/forms")
            << QVariant("templates:2/forms:3");
        kindRow(kind, "extended: pathList escapes '/', ':' and '\\' in texts")
            << true << "pathList" << QVariant()
            << QVariant(QStringList{"templates\\/forms:1", "templates\\/forms:1/Main Window:a\\:b",
                                    "templates:2", "templates:2/forms:3", "C\\:\\\\temp:4"});
        kindRow(kind, "extended: a path as printed")
            << true << "itemPath" << QVariant("templates\\/forms:1/Main Window:a\\:b")
            << QVariant("templates\\/forms:1/Main Window:a\\:b");
    }
}

void tst_TreeViewProxy::separatorsInTexts()
{
    QFETCH(QString, kind);
    QFETCH(bool, extended);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    ShownView tree(kind, true,
                   {{-1, {"templates/forms", "1"}},
                    {0, {"Main Window", "a:b"}},
                    {-1, {"templates", "2"}},
                    {2, {"forms", "3"}},
                    {-1, {"C:\\temp", "4"}}});
    QCOMPARE(viewProperty(tree.view, name, parameter, QString(),
                          extended ? WireText::Mode::Extended : WireText::Mode::Plain),
             expected);
}

TC_TEST_MAIN(tst_TreeViewProxy)
#include "tst_treeviewproxy.moc"
