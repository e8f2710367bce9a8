#include "../controls/controltestsupport.h"
#include "itemviewtestsupport.h"
#include "testmain.h"

#include <QColumnView>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>
#include <QTreeView>

// The generic item view proxy, reached through the class hint "QAbstractItemView" for tree
// and table views and without one for a QColumnView, which has no proxy of its own.
class TestItemViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void property_data();
    void property();
    void selection_data();
    void selection();
    void scrollToExpandsParents();
    void itemPosition_data();
    void itemPosition();
    void itemPositionText();
};

static const QString Generic = QStringLiteral("QAbstractItemView");

// Rows "First", "Total", "7" and columns "Name", "Size", "2"; the item in row 2, column 1
// has two rows of three children, "child <row>.<column>".
static QStandardItemModel *newModel(QObject *parent)
{
    QStandardItemModel *model =
        newGridModel(3, 3, {"First", "Total", "7"}, {"Name", "Size", "2"}, parent);
    for (int row = 1; row <= 2; ++row) {
        QList<QStandardItem *> children;
        for (int column = 1; column <= 3; ++column)
            children.append(new QStandardItem(QStringLiteral("child %1.%2").arg(row).arg(column)));
        model->item(1, 0)->appendRow(children);
    }
    return model;
}

// A "tree", "table" or "columns" view over that model; "bare columns" has no model.
static QAbstractItemView *newView(const QString &kind)
{
    QAbstractItemView *view;
    if (kind == QLatin1String("tree"))
        view = new QTreeView;
    else if (kind == QLatin1String("table"))
        view = new QTableView;
    else
        view = new QColumnView;
    if (kind != QLatin1String("bare columns"))
        view->setModel(newModel(view));
    return view;
}

static QString hintFor(const QString &kind)
{
    return kind.endsWith(QLatin1String("columns")) ? QString() : Generic;
}

void TestItemViewProxy::property_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QString>("expected");

    const QString tree = "tree", data = "itemData";
    QTest::newRow("path: row 1, column 3 under row 2, column 1")
        << tree << data << QVariant("2/1;3") << "child 1.3";
    QTest::newRow("path: rows and columns named by their headers")
        << tree << data << QVariant("Total;Size") << "r2c2";
    QTest::newRow("path: '7' is the number 7 even where a row is titled 7")
        << tree << data << QVariant("7") << "Row 7 is out of range (0..3)";
    QTest::newRow("path: row 0") << tree << data << QVariant("0") << "Row 0 is out of range (0..3)";
    QTest::newRow("path: three fields in an element")
        << tree << data << QVariant("1;2;3") << "Syntax error in path";
    QTest::newRow("path: an unknown row name is quoted verbatim")
        << tree << data << QVariant("50% done") << "Invalid row: 50% done";
    QTest::newRow("path: an unknown column name")
        << tree << data << QVariant("1;Colour") << "Invalid column: Colour";
    QTest::newRow("path: a column beyond the count")
        << tree << data << QVariant("1;4") << "Column 4 is out of range (0..3)";
    QTest::newRow("path: below an item without children")
        << tree << data << QVariant("3/1") << "Row 1 is out of range (0..0)";
    QTest::newRow("path: an integer argument is read as text")
        << tree << data << QVariant(3) << "r3c1";
    QTest::newRow("header: H:2 is the second column's header")
        << tree << data << QVariant("H:2") << "Size";
    QTest::newRow("header: h:Name by its text") << tree << data << QVariant("h:Name") << "Name";
    QTest::newRow("header: V:Total by its text") << tree << data << QVariant("V:Total") << "Total";
    QTest::newRow("header: v:4 beyond the rows")
        << tree << data << QVariant("v:4") << "Invalid row: 4";
    QTest::newRow("header: an unknown column text")
        << tree << data << QVariant("H:Colour") << "Invalid column: Colour";
    QTest::newRow("header: 'V:' names no section and is read as a path")
        << tree << data << QVariant("V:") << "Invalid row: V:";
    QTest::newRow("the root has no data")
        << tree << data << QVariant() << "Unknown property \"itemData\".";
    QTest::newRow("rowCount of the root") << tree << "rowCount" << QVariant("") << "3";
    QTest::newRow("rowCount of an item: its children")
        << tree << "rowCount" << QVariant("2") << "2";
    QTest::newRow("rowCount of a header: the root's")
        << tree << "rowCount" << QVariant("H:1") << "3";
    QTest::newRow("columnCount of an item with children")
        << tree << "columnCount" << QVariant("2") << "3";
    QTest::newRow("columnCount of a leaf") << tree << "columnCount" << QVariant("1") << "0";
    QTest::newRow("itemIsSelected of a header")
        << tree << "itemIsSelected" << QVariant("V:1") << "false";
    QTest::newRow("itemIsExpanded of a collapsed item")
        << tree << "itemIsExpanded" << QVariant("2") << "false";
    QTest::newRow("itemIsExpanded of the root")
        << tree << "itemIsExpanded" << QVariant() << "false";
    QTest::newRow("itemIsExpanded asks for a tree view")
        << "table"
        << "itemIsExpanded" << QVariant("1") << "Not a QTreeView";
    QTest::newRow("itemPosition of the root is empty")
        << tree << "itemPosition" << QVariant() << "";
    QTest::newRow("itemPosition of a row header in a tree")
        << tree << "itemPosition" << QVariant("V:1") << "View does not have a vertical header.";
    QTest::newRow("itemPosition of a column header in a column view")
        << "columns"
        << "itemPosition" << QVariant("H:1") << "View does not have a horizontal header.";
    QTest::newRow("a column view is served by the generic proxy")
        << "columns"
        << "silkClassName" << QVariant() << Generic;
    QTest::newRow("a view without a model")
        << "bare columns" << data << QVariant("1") << "Invalid Widget";
}

void TestItemViewProxy::property()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, argument);
    QFETCH(QString, expected);

    QScopedPointer<QAbstractItemView> view(newView(kind));
    QCOMPARE(readProperty(view.data(), hintFor(kind), name, argument), expected);
}

// Top-level cells as "row,column", 1-based, in row order.
static QStringList selectedCells(QAbstractItemView *view)
{
    QStringList cells;
    QModelIndexList indexes = view->selectionModel()->selectedIndexes();
    std::sort(indexes.begin(), indexes.end());
    for (const QModelIndex &index : indexes)
        cells.append(QStringLiteral("%1,%2").arg(index.row() + 1).arg(index.column() + 1));
    return cells;
}

void TestItemViewProxy::selection_data()
{
    QTest::addColumn<bool>("selectRows");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("Select adds the item")
        << false << QStringList{"1,1"} << "2;2" << QVariant("Select") << QStringList{"1,1", "2,2"};
    QTest::newRow("Select in a view that selects rows takes the whole row")
        << true << QStringList() << "2;2" << QVariant("Select") << QStringList{"2,1", "2,2", "2,3"};
    QTest::newRow("ClearAndSelect replaces the selection")
        << false << QStringList{"1,1", "2,2"} << "3;Size" << QVariant("ClearAndSelect")
        << QStringList{"3,2"};
    QTest::newRow("Deselect removes the item")
        << false << QStringList{"1,1", "2,2"} << "1" << QVariant("Deselect") << QStringList{"2,2"};
    QTest::newRow("Toggle selects an unselected item")
        << false << QStringList() << "1;3" << QVariant("Toggle") << QStringList{"1,3"};
    QTest::newRow("Clear on the root clears everything")
        << false << QStringList{"1,1", "2,2"} << "" << QVariant("Clear") << QStringList();
    QTest::newRow("ScrollTo changes no selection")
        << false << QStringList{"1,1"} << "3" << QVariant("ScrollTo") << QStringList{"1,1"};
    QTest::newRow("a command in other letter case changes nothing")
        << false << QStringList{"1,1"} << "3" << QVariant("select") << QStringList{"1,1"};
    QTest::newRow("an absent command changes nothing")
        << false << QStringList{"1,1"} << "3" << QVariant() << QStringList{"1,1"};
}

void TestItemViewProxy::selection()
{
    QFETCH(bool, selectRows);
    QFETCH(QStringList, before);
    QFETCH(QString, path);
    QFETCH(QVariant, command);
    QFETCH(QStringList, after);

    QTableView view;
    view.setModel(newModel(&view));
    view.setSelectionBehavior(selectRows ? QAbstractItemView::SelectRows
                                         : QAbstractItemView::SelectItems);
    QItemSelectionModel *selection = view.selectionModel();
    for (const QString &cell : before) {
        const QStringList parts = cell.split(',');
        selection->select(view.model()->index(parts[0].toInt() - 1, parts[1].toInt() - 1),
                          QItemSelectionModel::Select);
    }
    const QModelIndex current = view.model()->index(2, 2);
    selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);

    QCOMPARE(activateView(&view, Generic, path, command), QString());
    QCOMPARE(selectedCells(&view), after);
    QCOMPARE(view.currentIndex(), current);
}

void TestItemViewProxy::scrollToExpandsParents()
{
    Hosted host(newView("tree"));
    auto *tree = static_cast<QTreeView *>(host.widget);
    QVERIFY(host.show());
    QCOMPARE(activateView(tree, Generic, "2/2;3", "ScrollTo"), QString());
    QVERIFY(tree->isExpanded(tree->model()->index(1, 0)));
    QCOMPARE(readProperty(tree, Generic, "itemIsExpanded", "2"), QStringLiteral("true"));
    QVERIFY(tree->selectionModel()->selectedIndexes().isEmpty());
}

void TestItemViewProxy::itemPosition_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("argument");

    QTest::newRow("table cell by header names") << "table"
                                                << "Total;Size";
    QTest::newRow("table row header") << "table"
                                      << "V:3";
    QTest::newRow("table column header") << "table"
                                         << "h:2";
    QTest::newRow("tree child, after expanding its parent") << "tree"
                                                            << "2/2;2";
    QTest::newRow("tree column header") << "tree"
                                        << "H:Size";
}

// The fractions lead back to the item or header section they were computed for: items in
// the view's coordinates, header sections in the header's own.
void TestItemViewProxy::itemPosition()
{
    QFETCH(QString, kind);
    QFETCH(QString, argument);

    Hosted host(newView(kind));
    auto *view = static_cast<QAbstractItemView *>(host.widget);
    if (auto *tree = qobject_cast<QTreeView *>(view))
        tree->expandAll();
    QVERIFY(host.show());

    const QString text = readProperty(view, Generic, "itemPosition", argument);
    const QRegularExpressionMatch form = QRegularExpression("^(0\\.\\d+);(0\\.\\d+)$").match(text);
    QVERIFY2(form.hasMatch(), qPrintable(text));
    const QPoint point(int(form.captured(1).toDouble() * view->width()),
                       int(form.captured(2).toDouble() * view->height()));

    QHeaderView *header = nullptr;
    if (auto *table = qobject_cast<QTableView *>(view))
        header = argument.startsWith('V') ? table->verticalHeader() : table->horizontalHeader();
    else
        header = static_cast<QTreeView *>(view)->header();
    if (argument.contains(':')) {
        const int section =
            header->logicalIndexAt(header->orientation() == Qt::Horizontal ? point.x() : point.y());
        QCOMPARE(readProperty(view, Generic, "itemData", argument),
                 view->model()->headerData(section, header->orientation()).toString());
    } else {
        const QModelIndex index = view->indexAt(view->viewport()->mapFrom(view, point));
        QCOMPARE(index.data().toString(), readProperty(view, Generic, "itemData", argument));
    }
}

// The centre of the third row's header, 41 pixels wide with rows of 20, in a view of 300 by
// 200: six significant digits, no padding.
void TestItemViewProxy::itemPositionText()
{
    auto *table = static_cast<QTableView *>(newView("table"));
    table->setFixedSize(300, 200);
    table->verticalHeader()->setFixedWidth(41);
    table->verticalHeader()->setMinimumSectionSize(10);
    table->verticalHeader()->setDefaultSectionSize(20);
    Hosted host(table);
    QVERIFY(host.show());
    QCOMPARE(readProperty(table, Generic, "itemPosition", "V:3"),
             QStringLiteral("0.0666667;0.2475"));
}

TC_TEST_MAIN(TestItemViewProxy)
#include "tst_itemviewproxy.moc"
