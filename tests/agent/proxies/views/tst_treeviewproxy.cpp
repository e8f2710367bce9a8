#include "listtreetestsupport.h"
#include "testmain.h"

#include "proxies/framework/stinputcontrol.h"
#include "proxies/views/stqtreeview.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeWidget>

#include <functional>

// The same two-column tree behind three kinds of view: "widget" (QTreeWidget), "standard"
// (QTreeView over a QStandardItemModel) and "custom" (QTreeView over a hand-written model).
// Nodes in pre-order, each with its parent's number:
//   0 Fruit:3 (expanded)   3 A:          6 Veg:5 (collapsed)   8 Secret:0 (hidden row)
//   1   Apple:1            4 A:          7   Leek:4            9   Deep:1
//   2   Pear:2             5   x:9
struct NodeSpec
{
    int parent;
    QStringList texts;
};
static const QVector<NodeSpec> Nodes{
    {-1, {"Fruit", "3"}},  {0, {"Apple", "1"}}, {0, {"Pear", "2"}}, {-1, {"A", ""}},
    {-1, {"A", ""}},       {4, {"x", "9"}},     {-1, {"Veg", "5"}}, {6, {"Leek", "4"}},
    {-1, {"Secret", "0"}}, {8, {"Deep", "1"}}};
static const int HiddenNode = 8;
static const Qt::ItemFlags AllFlags =
    Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable;
static const char *const Kinds[] = {"widget", "standard", "custom"};

// A tree of the given kind, hosted and shown, with every item checkable and editable.
struct ShownTree
{
    explicit ShownTree(const QString &kind)
        : host(kind == QLatin1String("widget") ? new QTreeWidget : new QTreeView),
          view(static_cast<QTreeView *>(host.widget))
    {
        const QStringList headers{"Name", "Count"};
        if (auto *tree = qobject_cast<QTreeWidget *>(view)) {
            tree->setHeaderLabels(headers);
            QVector<QTreeWidgetItem *> items;
            for (const NodeSpec &node : Nodes) {
                auto *item = node.parent < 0 ? new QTreeWidgetItem(tree, node.texts)
                                             : new QTreeWidgetItem(items[node.parent], node.texts);
                items.append(item);
                flagSetters.append([item](Qt::ItemFlags flags) { item->setFlags(flags); });
            }
        } else if (kind == QLatin1String("standard")) {
            auto *model = new QStandardItemModel(view);
            model->setHorizontalHeaderLabels(headers);
            QVector<QStandardItem *> items;
            for (const NodeSpec &node : Nodes) {
                QList<QStandardItem *> row{new QStandardItem(node.texts[0]),
                                           new QStandardItem(node.texts[1])};
                (node.parent < 0 ? model->invisibleRootItem() : items[node.parent])->appendRow(row);
                items.append(row[0]);
                flagSetters.append([row](Qt::ItemFlags flags) {
                    for (QStandardItem *cell : row)
                        cell->setFlags(flags);
                });
            }
            view->setModel(model);
        } else {
            auto *model = new TinyModel(2);
            model->setParent(view);
            model->headers = headers;
            QVector<TinyModel::Node *> items;
            for (const NodeSpec &node : Nodes) {
                TinyModel::Node *item =
                    model->add(node.parent < 0 ? nullptr : items[node.parent], node.texts);
                items.append(item);
                flagSetters.append([item](Qt::ItemFlags flags) { item->flags = flags; });
            }
            view->setModel(model);
        }
        for (const auto &setFlags : qAsConst(flagSetters))
            setFlags(AllFlags);
        view->setRowHidden(index(HiddenNode).row(), QModelIndex(), true);
        view->expand(index(0));
    }
    // The index of a node, in column 0.
    QModelIndex index(int node) const
    {
        const int parent = Nodes[node].parent;
        int row = 0;
        for (int other = 0; other < node; ++other)
            row += Nodes[other].parent == parent ? 1 : 0;
        return view->model()->index(row, 0, parent < 0 ? QModelIndex() : index(parent));
    }
    bool show(int current)
    {
        if (!host.show())
            return false;
        view->setCurrentIndex(current < 0 ? QModelIndex() : index(current));
        recorder.watch(view);
        return true;
    }
    QString currentPath() const { return viewProperty(view, "currentPath").toString(); }

    Hosted host;
    QTreeView *view;
    QVector<std::function<void(Qt::ItemFlags)>> flagSetters;
    EventRecorder recorder{{QEvent::KeyPress}};
};

static QString typeError(const QString &kind, const char *accepted)
{
    return QStringLiteral("Type error: object \"widget\" of class \"%1\" accepts %2.")
        .arg(kind == QLatin1String("widget") ? "QTreeWidget" : "QTreeView", accepted);
}

class TestTreeViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void properties_data();
    void properties();
    void activate_data();
    void activate();
    void check_data();
    void check();
    void editCell_data();
    void editCell();
    void mouseAimsAtCurrentItem();
};

void TestTreeViewProxy::properties_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("hideCount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag, bool hideCount = false) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag)))
                   << kind << hideCount;
        };
        row("a path of first cells")
            << "itemPath" << QVariant("Fruit/Pear") << QVariant("Fruit:3/Pear:2");
        row("a path of whole row texts")
            << "itemPath" << QVariant("Fruit:3/Pear:2") << QVariant("Fruit:3/Pear:2");
        row("a path with a wrong cell")
            << "itemPath" << QVariant("Fruit:4/Pear") << QVariant("Invalid item path");
        row("an element with more fields than the row has")
            << "itemPath" << QVariant("Fruit:3:x/Pear") << QVariant("Invalid item path");
        row("equal siblings: the one under which the rest exists")
            << "itemPath" << QVariant("A/x") << QVariant("A:/x:9");
        row("a child in a collapsed branch")
            << "itemPath" << QVariant("Veg/Leek") << QVariant("Veg:5/Leek:4");
        row("a hidden row") << "itemIsEnabled" << QVariant("Secret")
                            << QVariant("item \"Secret:0\" is hidden");
        row("no path") << "itemPath" << QVariant() << QVariant("Missing item path");
        row("a number is no path")
            << "itemPath" << QVariant(3) << QVariant(typeError(kind, "string"));
        row("hidden column: row texts lose its cells", true)
            << "itemPath" << QVariant("Fruit/Pear") << QVariant("Fruit/Pear");
        row("hidden column: its cells no longer match", true)
            << "itemPath" << QVariant("Fruit:3") << QVariant("Invalid item path");
        row("hidden column: left out of the item's texts", true)
            << "itemTextList" << QVariant("Veg") << QVariant(QStringList{"Veg"});
        row("texts of an item") << "itemTextList" << QVariant("Veg")
                                << QVariant(QStringList{"Veg", "5"});
        row("pathList leaves hidden rows out and lists collapsed branches")
            << "pathList" << QVariant()
            << QVariant(QStringList{"Fruit:3", "Fruit:3/Apple:1", "Fruit:3/Pear:2",
                                    "A:", "A:", "A:/x:9", "Veg:5", "Veg:5/Leek:4"});
        row("pathList with a hidden column", true)
            << "pathList" << QVariant()
            << QVariant(QStringList{"Fruit", "Fruit/Apple", "Fruit/Pear", "A", "A", "A/x", "Veg",
                                    "Veg/Leek"});
        row("header texts in visual order, hidden ones left out")
            << "columnTextList" << QVariant() << QVariant(QStringList{"Count", "Name"});
        row("columnCount") << "columnCount" << QVariant() << QVariant(2);
        row("topLevelItemCount counts hidden rows")
            << "topLevelItemCount" << QVariant() << QVariant(5);
        row("currentPath without a current item") << "currentPath" << QVariant() << QVariant("");
        row("an expanded branch is open") << "itemIsOpen" << QVariant("Fruit") << QVariant(true);
        row("a collapsed branch is not open") << "itemIsOpen" << QVariant("Veg") << QVariant(false);
        row("a branch is expandable") << "itemIsExpandable" << QVariant("Veg") << QVariant(true);
        row("a leaf is not expandable")
            << "itemIsExpandable" << QVariant("Veg/Leek") << QVariant(false);
        row("partially checked is not checked")
            << "itemIsChecked" << QVariant("Fruit/Apple") << QVariant(false);
        row("checked") << "itemIsChecked" << QVariant("Fruit/Pear") << QVariant(true);
        row("disabled") << "itemIsEnabled" << QVariant("Veg") << QVariant(false);
        row("selected") << "itemIsSelected" << QVariant("A/x") << QVariant(true);
    }
}

void TestTreeViewProxy::properties()
{
    QFETCH(QString, kind);
    QFETCH(bool, hideCount);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    ShownTree tree(kind);
    tree.view->setColumnHidden(1, hideCount);
    tree.view->header()->moveSection(1, 0);
    tree.view->model()->setData(tree.index(1), int(Qt::PartiallyChecked), Qt::CheckStateRole);
    tree.view->model()->setData(tree.index(2), int(Qt::Checked), Qt::CheckStateRole);
    tree.flagSetters[6](AllFlags & ~Qt::ItemIsEnabled);
    QVERIFY(tree.show(-1));
    tree.view->selectionModel()->select(tree.index(5), QItemSelectionModel::Select);
    QCOMPARE(viewProperty(tree.view, name, parameter), expected);
}

void TestTreeViewProxy::activate_data()
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
        auto row = [kind](const char *tag, const char *setup = "") -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag)))
                   << kind << setup;
        };
        row("down from the top row") << 0 << QVariant("Fruit/Pear") << QVariant("z") << none
                                     << "<Up><Right><Down>z" << QStringList{"Fruit:3/Pear:2"};
        row("from below, up to the top and down again")
            << 3 << QVariant("Fruit/Apple") << QVariant() << none << "<Up><Up><Up><Up><Right>"
            << QStringList{"Fruit:3/Apple:1"};
        row("into a collapsed branch with '+' and Right")
            << 0 << QVariant("Veg/Leek") << QVariant() << none
            << "<Up><Down><Down><Down><Down><Down><Plus><Right>" << QStringList{"Veg:5/Leek:4"};
        row("equal siblings: into the second A")
            << 0 << QVariant("A/x") << QVariant() << none
            << "<Up><Down><Down><Down><Down><Plus><Right>" << QStringList{"A:/x:9"};
        row("the current, selected item: only the terminating key")
            << 2 << QVariant("Fruit/Pear") << QVariant("z") << none << "z"
            << QStringList{"Fruit:3/Pear:2"};
        row("a hidden row's child cannot be reached")
            << 0 << QVariant("Secret/Deep") << QVariant() << "item is not selectable"
            << "<Up><Down><Down><Down><Down><Down><Down>" << QStringList{"Veg:5"};
        // Extended selection: the first item is selected by moving there; Control keeps it
        // selected while the keys move on to the next, which Control+Space adds.
        row("extended: two items, the second with Control held", "extended")
            << 0 << QVariant(QStringList{"Fruit/Apple", "Veg"}) << QVariant() << none
            << "<Up><Right><Control+Up><Control+Up><Control+Down><Control+Down><Control+Down>"
               "<Control+Down><Control+Down><Control+Space>"
            << QStringList{"Fruit:3/Apple:1", "Veg:5"};
        row("extended: Control held into the branch as well", "extended")
            << 0 << QVariant(QStringList{"Fruit/Apple", "Fruit/Pear"}) << QVariant() << none
            << "<Up><Right><Control+Up><Control+Up><Control+Right><Control+Down><Control+Space>"
            << QStringList{"Fruit:3/Apple:1", "Fruit:3/Pear:2"};
        row("multi-selection: the current item deselected by Space first", "multi")
            << 2 << QVariant(QStringList{"Fruit"}) << QVariant() << none
            << "<Space><Up><Up><Up><Space>" << QStringList{"Fruit:3"};
        row("hidden row") << 0 << QVariant("Secret") << QVariant() << "item \"Secret:0\" is hidden"
                          << none << QStringList{"Fruit:3"};
        row("unknown path") << 0 << QVariant("Fruit/Plum") << QVariant() << "Invalid item path"
                            << none << QStringList{"Fruit:3"};
        row("disabled item", "disabled")
            << 0 << QVariant("Veg") << QVariant() << "item \"Veg:5\" is not enabled" << none
            << QStringList{"Fruit:3"};
        row("item that is not selectable", "unselectable")
            << 0 << QVariant("Veg") << QVariant() << "item \"Veg:5\" is not selectable" << none
            << QStringList{"Fruit:3"};
        row("view without selection", "none")
            << 0 << QVariant("Veg") << QVariant() << "list view is not selectable" << none
            << QStringList();
        row("several items in single selection")
            << 0 << QVariant(QStringList{"Veg"}) << QVariant()
            << "selection of more than one item is not possible in single selection mode" << none
            << QStringList{"Fruit:3"};
        row("two-character key") << 0 << QVariant("Veg") << QVariant("ab")
                                 << "terminating key is more than one character" << none
                                 << QStringList{"Fruit:3"};
        row("a number is no path")
            << 0 << QVariant(1) << QVariant() << typeError(kind, "string, string list") << none
            << QStringList{"Fruit:3"};
    }
}

void TestTreeViewProxy::activate()
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
        tree.flagSetters[6](AllFlags & ~Qt::ItemIsEnabled);
    if (setup == QLatin1String("unselectable"))
        tree.flagSetters[6](AllFlags & ~Qt::ItemIsSelectable);
    QVERIFY(tree.show(current));
    if (setup == QLatin1String("multi")) {
        tree.view->selectionModel()->select(tree.index(2), QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    }

    QCOMPARE(::activate(tree.view, items, key), message);
    QTRY_COMPARE(pressedKeys(tree.recorder), keys);
    QStringList paths;
    for (const QModelIndex &index : tree.view->selectionModel()->selectedRows())
        paths.append(STQTreeView::itemPath(tree.view, index));
    paths.sort();
    QCOMPARE(paths, selected);
}

void TestTreeViewProxy::check_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("state");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("endState");

    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << kind;
        };
        const int unchecked = Qt::Unchecked, partial = Qt::PartiallyChecked, checked = Qt::Checked;
        row("check an unchecked item") << unchecked << QVariant(true) << "<Space>" << checked;
        row("check a partially checked item") << partial << QVariant(true) << "<Space>" << checked;
        row("check a checked item: no keys") << checked << QVariant(true) << "" << checked;
        row("uncheck a checked item") << checked << QVariant(false) << "<Space>" << unchecked;
        row("uncheck a partially checked item: twice Space")
            << partial << QVariant(false) << "<Space><Space>" << unchecked;
        row("uncheck an unchecked item: no keys")
            << unchecked << QVariant(false) << "" << unchecked;
    }
}

void TestTreeViewProxy::check()
{
    QFETCH(QString, kind);
    QFETCH(int, state);
    QFETCH(QVariant, value);
    QFETCH(QString, keys);
    QFETCH(int, endState);

    ShownTree tree(kind);
    tree.view->model()->setData(tree.index(2), state, Qt::CheckStateRole);
    QVERIFY(tree.show(2));
    QCOMPARE(request("enter", tree.view, value), QString());
    QTRY_COMPARE(pressedKeys(tree.recorder), keys);
    QCOMPARE(tree.index(2).data(Qt::CheckStateRole).toInt(), endState);
}

void TestTreeViewProxy::editCell_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("endPath");

    const QString none, syntax = "Syntax Error, format \"%d:%s\" expected";
    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag, const char *setup = "") -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag)))
                   << kind << setup;
        };
        row("second column replaced") << QVariant("1:abc") << none << "<F2><Backspace>abc<Return>"
                                      << "Fruit:3/Pear:abc";
        row("the text may hold ':'") << QVariant("0:a:b") << none << "<F2><Backspace>a:b<Return>"
                                     << "Fruit:3/a:b:2";
        // A leading empty cell leaves no separator in the row text.
        row("no text empties the cell") << QVariant("0") << none << "<F2><Backspace><Return>"
                                        << "Fruit:3/2";
        row("no column number") << QVariant("x:abc") << syntax << none << "Fruit:3/Pear:2";
        row("empty value") << QVariant("") << syntax << none << "Fruit:3/Pear:2";
        row("column below the range")
            << QVariant("-1:abc") << "Invalid column -1 is out of range [0, 1]" << none
            << "Fruit:3/Pear:2";
        row("column above the range")
            << QVariant("5:abc") << "Invalid column 5 is out of range [0, 1]" << none
            << "Fruit:3/Pear:2";
        row("read-only cell", "read-only")
            << QVariant("1:abc") << "Item at column 1 is not editable" << none << "Fruit:3/Pear:2";
        row("checking an item that is not checkable", "read-only")
            << QVariant(true) << "Current item is not checkable" << none << "Fruit:3/Pear:2";
        row("no current item", "no current")
            << QVariant("1:abc") << "No item is current" << none << "";
        row("hidden current item", "hidden current")
            << QVariant("1:abc") << "item \"Secret:0\" is hidden" << none << "Secret:0";
        row("a number is neither bool nor text")
            << QVariant(1) << typeError(kind, "bool string") << none << "Fruit:3/Pear:2";
    }
}

void TestTreeViewProxy::editCell()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, endPath);

    ShownTree tree(kind);
    if (setup == QLatin1String("read-only"))
        tree.flagSetters[2](Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    int current = 2;
    if (setup == QLatin1String("no current"))
        current = -1;
    if (setup == QLatin1String("hidden current"))
        current = HiddenNode;
    EditorWatcher editors(tree.view, &tree.recorder);
    QVERIFY(tree.show(current));
    tree.recorder.clear();

    QCOMPARE(request("enter", tree.view, value), message);
    // The editor hands Return on to the view: it is seen there as well.
    QTRY_COMPARE(pressedKeys(tree.recorder).replace("<Return><Return>", "<Return>"), keys);
    QTRY_COMPARE(tree.currentPath(), endPath);
}

void TestTreeViewProxy::mouseAimsAtCurrentItem()
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
    STInputControl::pressedButtons = Qt::NoButton;
}

TC_TEST_MAIN(TestTreeViewProxy)
#include "tst_treeviewproxy.moc"
