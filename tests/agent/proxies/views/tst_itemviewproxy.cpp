#include "itemviewtestsupport.h"
#include "listtreetestsupport.h"
#include "testmain.h"

#include <QColumnView>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

// The generic item view proxy: reached by the class hint "QAbstractItemView" for tree and
// table views, and without a hint for a QColumnView, which has no proxy of its own.
class tst_ItemViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void property_data();
    void property();
    void selection_data();
    void selection();
    void selectionUnderRootIndex();
    void scrollToExpandsParents();
    void itemPositionText();
};

static const QString Generic = QStringLiteral("QAbstractItemView");

// A "tree", "table" or "columns" view ("bare columns" without a model) over rows "First",
// "Total", "7" and columns "Name", "Size", "2"; the item in row 2, column 1 has two rows of
// three children, "child <row>.<column>". A "subtree" is a tree view rooted at that item.
static QAbstractItemView *newView(const QString &kind)
{
    QAbstractItemView *view;
    if (kind == QLatin1String("tree") || kind == QLatin1String("subtree"))
        view = new QTreeView;
    else if (kind == QLatin1String("table"))
        view = new QTableView;
    else
        view = new QColumnView;
    if (kind == QLatin1String("bare columns"))
        return view;
    QStandardItemModel *model =
        newGridModel(3, 3, {"First", "Total", "7"}, {"Name", "Size", "2"}, view);
    for (int row = 1; row <= 2; ++row) {
        QList<QStandardItem *> children;
        for (int column = 1; column <= 3; ++column)
            children.append(new QStandardItem(QStringLiteral("child %1.%2").arg(row).arg(column)));
        model->item(1, 0)->appendRow(children);
    }
    view->setModel(model);
    if (kind == QLatin1String("subtree"))
        view->setRootIndex(model->index(1, 0));
    return view;
}

void tst_ItemViewProxy::property_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QVariant>("expected");

    const QString tree = "tree", data = "itemData";
    QTest::newRow("path: row 1, column 3 under row 2")
        << tree << data << QVariant("2/1;3") << QVariant("child 1.3");
    QTest::newRow("path: header texts")
        << tree << data << QVariant("Total;Size") << QVariant("r2c2");
    QTest::newRow("path: '7' is a number even where a row is titled 7")
        << tree << data << QVariant("7") << QVariant("Row 7 is out of range (0..3)");
    QTest::newRow("path: three fields")
        << tree << data << QVariant("1;2;3") << QVariant("Syntax error in path");
    QTest::newRow("path: unknown row name, verbatim")
        << tree << data << QVariant("50% done") << QVariant("Invalid row: 50% done");
    QTest::newRow("path: below an item without children")
        << tree << data << QVariant("3/1") << QVariant("Row 1 is out of range (0..0)");
    QTest::newRow("header: h:Name") << tree << data << QVariant("h:Name") << QVariant("Name");
    QTest::newRow("header: v:4 beyond the rows")
        << tree << data << QVariant("v:4") << QVariant("Invalid row: 4");
    QTest::newRow("the root has no data")
        << tree << data << QVariant() << QVariant("Unknown property \"itemData\".");
    QTest::newRow("rowCount of an item") << tree << "rowCount" << QVariant("2") << QVariant(2);
    QTest::newRow("itemIsExpanded in a table")
        << "table"
        << "itemIsExpanded" << QVariant("1") << QVariant("Not a QTreeView");
    QTest::newRow("itemPosition of the root")
        << tree << "itemPosition" << QVariant() << QVariant("");
    QTest::newRow("itemPosition of a column view's column header")
        << "columns"
        << "itemPosition" << QVariant("H:1") << QVariant("View does not have a horizontal header.");
    QTest::newRow("a column view's proxy") << "columns"
                                           << "silkClassName" << QVariant() << QVariant(Generic);
    QTest::newRow("a view without a model")
        << "bare columns" << data << QVariant("1") << QVariant("Invalid Widget");
    // Paths, counts and header sections start at the view's root index.
    const QString subtree = "subtree";
    QTest::newRow("root index: rowCount of the root")
        << subtree << "rowCount" << QVariant() << QVariant(2);
    QTest::newRow("root index: a path below it")
        << subtree << data << QVariant("2;Size") << QVariant("child 2.2");
    QTest::newRow("root index: a row header beyond its rows")
        << subtree << data << QVariant("v:3") << QVariant("Invalid row: 3");
}

void tst_ItemViewProxy::property()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, argument);
    QFETCH(QVariant, expected);

    QScopedPointer<QAbstractItemView> view(newView(kind));
    const QString hint = kind.endsWith(QLatin1String("columns")) ? QString() : Generic;
    QCOMPARE(viewProperty(view.data(), name, argument, hint), expected);
}

void tst_ItemViewProxy::selection_data()
{
    QTest::addColumn<bool>("rows");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("current");

    // Cells 1;1 and 2;2 are selected before; the current cell is 3;3. An item that a
    // command selects becomes current as well.
    const QStringList before{"1;1", "2;2"};
    QTest::newRow("Select adds the item")
        << false << "3;2" << QVariant("Select") << QStringList{"1;1", "2;2", "3;2"} << "3;2";
    QTest::newRow("Select where rows are selected: the whole row")
        << true << "3;2" << QVariant("Select") << QStringList{"1;1", "2;2", "3;1", "3;2", "3;3"}
        << "3;2";
    QTest::newRow("ClearAndSelect")
        << false << "Total;Name" << QVariant("ClearAndSelect") << QStringList{"2;1"} << "2;1";
    QTest::newRow("Deselect leaves the current item")
        << false << "2;2" << QVariant("Deselect") << QStringList{"1;1"} << "3;3";
    QTest::newRow("Clear on the root")
        << false << "" << QVariant("Clear") << QStringList() << "3;3";
    QTest::newRow("ScrollTo") << false << "3" << QVariant("ScrollTo") << before << "3;3";
    QTest::newRow("a command in other letter case")
        << false << "3" << QVariant("select") << before << "3;3";
}

void tst_ItemViewProxy::selection()
{
    QFETCH(bool, rows);
    QFETCH(QString, path);
    QFETCH(QVariant, command);
    QFETCH(QStringList, selected);
    QFETCH(QString, current);

    QScopedPointer<QAbstractItemView> view(newView("table"));
    view->setSelectionBehavior(rows ? QAbstractItemView::SelectRows
                                    : QAbstractItemView::SelectItems);
    QAbstractItemModel *model = view->model();
    view->selectionModel()->select(model->index(0, 0), QItemSelectionModel::Select);
    view->selectionModel()->select(model->index(1, 1), QItemSelectionModel::Select);
    view->selectionModel()->setCurrentIndex(model->index(2, 2), QItemSelectionModel::NoUpdate);

    QCOMPARE(activate(view.data(), path, command, Generic), QString());
    QModelIndexList indexes = view->selectionModel()->selectedIndexes();
    std::sort(indexes.begin(), indexes.end());
    QStringList cells;
    for (const QModelIndex &index : indexes)
        cells.append(QStringLiteral("%1;%2").arg(index.row() + 1).arg(index.column() + 1));
    QCOMPARE(cells, selected);
    const QModelIndex now = view->currentIndex();
    QCOMPARE(QStringLiteral("%1;%2").arg(now.row() + 1).arg(now.column() + 1), current);
}

// Linguist's message view shows the children of one item: its rows are the root's.
void tst_ItemViewProxy::selectionUnderRootIndex()
{
    QScopedPointer<QAbstractItemView> view(newView("subtree"));
    QCOMPARE(activate(view.data(), "2", "ClearAndSelect", Generic), QString());
    const QModelIndex child = view->model()->index(1, 0, view->rootIndex());
    QCOMPARE(view->currentIndex(), child);
    QCOMPARE(view->selectionModel()->selectedRows(), QModelIndexList{child});
}

void tst_ItemViewProxy::scrollToExpandsParents()
{
    Hosted host(newView("tree"));
    QVERIFY(host.show());
    QCOMPARE(activate(host.widget, "2/2;3", "ScrollTo", Generic), QString());
    QCOMPARE(viewProperty(host.widget, "itemIsExpanded", "2", Generic), QVariant(true));
    QCOMPARE(viewProperty(host.widget, "itemIsSelected", "2/2;3", Generic), QVariant(false));
}

// The centre of the third row's header, 41 pixels wide with rows of 20, in a view of 300 by
// 200, as fractions with six significant digits.
void tst_ItemViewProxy::itemPositionText()
{
    auto *table = static_cast<QTableView *>(newView("table"));
    table->setFixedSize(300, 200);
    table->verticalHeader()->setFixedWidth(41);
    table->verticalHeader()->setMinimumSectionSize(10);
    table->verticalHeader()->setDefaultSectionSize(20);
    Hosted host(table);
    QVERIFY(host.show());
    QCOMPARE(viewProperty(table, "itemPosition", "V:3", Generic), QVariant("0.0666667;0.2475"));
}

TC_TEST_MAIN(tst_ItemViewProxy)
#include "tst_itemviewproxy.moc"
