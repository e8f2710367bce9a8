#include "../controls/controltestsupport.h"
#include "itemviewtestsupport.h"
#include "testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>

class TestTableProxy : public QObject
{
    Q_OBJECT

private slots:
    void property_data();
    void property();
    void navigation_data();
    void navigation();
    void enter_data();
    void enter();
    void mouse_data();
    void mouse();
};

// Four rows "North", "South", "2" and "Hidden" by four columns "Name", "3", "Size" and "Gone",
// the last row and column hidden; a header text wins over a number, so '2' names row 3 and
// '3' column 2. Cells read "r<row>c<column>", except column 3, which holds numbers.
// "duplicates" has rows "a", "b", "a" and columns "x", "x"; "widget" is a 2 x 5 QTableWidget.
// "editing" opens the editor whenever the current cell changes; "editing without tabs"
// also turns tab-key navigation off.
static QTableView *newTable(const QString &kind)
{
    if (kind == QLatin1String("widget"))
        return new QTableWidget(2, 5);
    auto *table = new QTableView;
    if (kind == QLatin1String("duplicates")) {
        table->setModel(newGridModel(3, 2, {"a", "b", "a"}, {"x", "x"}, table));
        return table;
    }
    QStandardItemModel *model =
        newGridModel(4, 4, {"North", "South", "2", "Hidden"}, {"Name", "3", "Size", "Gone"}, table);
    for (int row = 0; row < 4; ++row)
        model->item(row, 2)->setData(10 * (row + 1), Qt::EditRole);
    table->setModel(model);
    table->setRowHidden(3, true);
    table->setColumnHidden(3, true);
    if (kind.startsWith(QLatin1String("editing")))
        table->setEditTriggers(QAbstractItemView::CurrentChanged);
    table->setTabKeyNavigation(!kind.endsWith(QLatin1String("without tabs")));
    return table;
}

void TestTableProxy::property_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QString>("expected");

    const QString table = "table", text = "itemText";
    const QString type = "Type error: object \"widget\" of class \"QTableView\" accepts ";
    QTest::newRow("cell by header texts") << table << text << QVariant("South:Size") << "20";
    QTest::newRow("cell by numbers") << table << text << QVariant("1:1") << "r1c1";
    QTest::newRow("a row header titled 2 wins over row 2")
        << table << text << QVariant("2:1") << "r3c1";
    QTest::newRow("a column header titled 3 wins over column 3")
        << table << text << QVariant("North:3") << "r1c2";
    QTest::newRow("fields after the column are ignored")
        << table << text << QVariant("North:Name:x") << "r1c1";
    QTest::newRow("a number still names a hidden row and column")
        << table << text << QVariant("4:4") << "r4c4";
    QTest::newRow("a hidden row's header text is not searched")
        << table << text << QVariant("Hidden:1") << "Row Hidden not found";
    QTest::newRow("a hidden column's header text is not searched")
        << table << text << QVariant("1:Gone") << "Column Gone not found";
    QTest::newRow("row 0") << table << text << QVariant("0:1")
                           << "Invalid row 0 is out of range [1, 4]";
    QTest::newRow("column beyond the count")
        << table << text << QVariant("1:5") << "Invalid column 5 is out of range [1, 4]";
    QTest::newRow("no colon") << table << text << QVariant("2")
                              << "Syntax Error, format \"%r:%c\" expected";
    QTest::newRow("empty cell") << table << text << QVariant("")
                                << "Syntax Error, format \"%r:%c\" expected";
    QTest::newRow("missing cell") << table << text << QVariant() << "Missing item cell";
    QTest::newRow("a number is no cell") << table << text << QVariant(5) << type + "string.";
    QTest::newRow("two rows named a")
        << "duplicates" << text << QVariant("a:1") << "Same row name at row 1 and 3";
    QTest::newRow("two columns named x")
        << "duplicates" << text << QVariant("b:x") << "Same column name at column 1 and 2";
    QTest::newRow("row header text by number") << table << "rowHeaderText" << QVariant(3) << "2";
    QTest::newRow("row header text by a number in text")
        << table << "rowHeaderText" << QVariant("1") << "North";
    QTest::newRow("row header text of row 0")
        << table << "rowHeaderText" << QVariant(0) << "Invalid row 0 is out of range [1, 4]";
    QTest::newRow("row header text of a hidden row")
        << table << "rowHeaderText" << QVariant(4) << "row 4 is hidden";
    QTest::newRow("row header text of no number")
        << table << "rowHeaderText" << QVariant("North") << "Invalid integer";
    QTest::newRow("row header text without a number")
        << table << "rowHeaderText" << QVariant() << "Missing row number";
    QTest::newRow("row header text of a bool")
        << table << "rowHeaderText" << QVariant(true) << type + "string, int.";
    QTest::newRow("column header text") << table << "columnHeaderText" << QVariant(2) << "3";
    QTest::newRow("column header text of column 0")
        << table << "columnHeaderText" << QVariant(0) << "Invalid col 0 is out of range [1, 4]";
    QTest::newRow("column header text of a hidden column")
        << table << "columnHeaderText" << QVariant(4) << "column 4 is hidden";
    QTest::newRow("column header text without a number")
        << table << "columnHeaderText" << QVariant() << "Missing column number";
    QTest::newRow("hidden rows are counted") << table << "rowCount" << QVariant() << "4";
    QTest::newRow("table widget columns") << "widget"
                                          << "columnCount" << QVariant() << "5";
    QTest::newRow("no current row") << table << "currentRow" << QVariant() << "0";
    QTest::newRow("no current column") << table << "currentColumn" << QVariant() << "0";
}

void TestTableProxy::property()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, argument);
    QFETCH(QString, expected);

    QScopedPointer<QTableView> table(newTable(kind));
    table->setObjectName(QStringLiteral("widget"));
    QCOMPARE(readProperty(table.data(), QString(), name, argument), expected);
}

// The keys pressed, as "<Key>" or "<Shift+Key>", recorded for the whole application: the
// table's editors, created on the way, receive keys too. A key that a widget ignores
// travels on to its parents; presses and releases alternate, so a repeated entry is such a
// second delivery of the same event.
static QString keysPressed(const EventRecorder &recorder)
{
    QString keys;
    EventRecorder::Entry previous;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        const bool again = entry.type == previous.type && entry.key == previous.key &&
                           entry.modifiers == previous.modifiers;
        previous = entry;
        if (again || entry.type != QEvent::KeyPress)
            continue;
        QString name = QString(QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key)).mid(4);
        if (entry.modifiers & Qt::ShiftModifier)
            name.prepend("Shift+");
        if (entry.modifiers & Qt::ControlModifier)
            name.prepend("Control+");
        keys += '<' + name + '>';
    }
    return keys;
}

// The cell "row:column", 1-based numbers.
static QModelIndex cellIndex(QTableView *table, const QString &cell)
{
    const QStringList parts = cell.split(':');
    return table->model()->index(parts[0].toInt() - 1, parts[1].toInt() - 1);
}

// The current cell as "row:column", 1-based.
static QString currentCell(QTableView *table)
{
    const QModelIndex current = table->currentIndex();
    return QStringLiteral("%1:%2").arg(current.row() + 1).arg(current.column() + 1);
}

// A shown table with the focus elsewhere and the cell "row:column" current ("" for none;
// set once shown, since the table makes its first cell current when it first takes focus).
struct ShownTable
{
    ShownTable(const QString &kind, const QString &current) : host(newTable(kind)), current(current)
    {
        table = static_cast<QTableView *>(host.widget);
        other = new QLineEdit;
        host.window.layout()->addWidget(other);
    }
    bool show()
    {
        if (!host.show())
            return false;
        table->selectionModel()->setCurrentIndex(current.isEmpty() ? QModelIndex()
                                                                   : cellIndex(table, current),
                                                 QItemSelectionModel::NoUpdate);
        // Also closes the editor that a table editing on current change opened.
        other->setFocus();
        return other->hasFocus();
    }
    Hosted host;
    QString current;
    QTableView *table;
    QLineEdit *other;
};

void TestTableProxy::navigation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("reached");

    const QString table = "table", none;
    QTest::newRow("right, then down") << table << "1:1"
                                      << "South:Size" << none << "<Right><Right><Down>"
                                      << "2:3";
    QTest::newRow("left, then up") << table << "3:3"
                                   << "1:1" << none << "<Left><Left><Up><Up>"
                                   << "1:1";
    QTest::newRow("the current cell: no key") << table << "2:2"
                                              << "South:3" << none << ""
                                              << "2:2";
    QTest::newRow("a hidden row, named by number, is refused") << table << "1:1"
                                                               << "4:1"
                                                               << "row 4 is hidden"
                                                               << ""
                                                               << "1:1";
    QTest::newRow("a hidden column, named by number, is refused") << table << "1:1"
                                                                  << "1:4"
                                                                  << "column 4 is hidden"
                                                                  << ""
                                                                  << "1:1";
    QTest::newRow("an unknown name: nothing pressed") << table << "1:1"
                                                      << "East:1"
                                                      << "Row East not found"
                                                      << ""
                                                      << "1:1";
    QTest::newRow("editing on move: Tab to the right") << "editing"
                                                       << "1:1"
                                                       << "1:Size" << none << "<Tab><Tab>"
                                                       << "1:3";
    QTest::newRow("editing on move: Shift+Tab to the left")
        << "editing"
        << "2:3"
        << "South:Name" << none << "<Shift+Backtab><Shift+Backtab>"
        << "2:1";
    QTest::newRow("editing on move: Shift+Tab, then up")
        << "editing"
        << "2:3"
        << "1:1" << none << "<Shift+Backtab><Shift+Backtab><Up>"
        << "1:1";
    // The first Left opens the editor, which takes the other nineteen of 5 x 4 presses.
    QTest::newRow("editing on move without tab navigation: arrows, up to the bound")
        << "editing without tabs"
        << "1:3"
        << "1:1" << none << QString("<Left>").repeated(20) << "1:2";
}

void TestTableProxy::navigation()
{
    QFETCH(QString, kind);
    QFETCH(QString, start);
    QFETCH(QString, cell);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, reached);

    ShownTable shown(kind, start);
    QVERIFY(shown.show());
    EventRecorder recorder({QEvent::KeyPress, QEvent::KeyRelease});
    recorder.watch(qApp);

    QCOMPARE(request("activate", shown.table, cell), message);
    QCOMPARE(keysPressed(recorder), keys);
    QCOMPARE(currentCell(shown.table), reached);
}

void TestTableProxy::enter_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    const QString edit = "<F2><End><Shift+Home><Control+V>";
    QTest::newRow("a text cell takes the text")
        << "2:1" << QVariant("Ada") << "" << edit + "<Return>"
        << "Ada";
    QTest::newRow("a spin-box editor takes a number")
        << "2:3" << QVariant("42") << "" << edit + "<Return>"
        << "42";
    QTest::newRow("a spin-box editor refuses letters: no Return")
        << "2:3" << QVariant("many") << "enter, QAbstractSpinBox validate error\n"
        << edit << "20";
    QTest::newRow("a number is no text")
        << "2:1" << QVariant(7)
        << "Type error: object \"widget\" of class \"QTableView\" accepts string."
        << ""
        << "r2c1";
}

void TestTableProxy::enter()
{
    QFETCH(QString, cell);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, text);

    ShownTable shown("table", cell);
    QVERIFY(shown.show());
    EventRecorder recorder({QEvent::KeyPress, QEvent::KeyRelease});
    recorder.watch(qApp);

    QCOMPARE(request("enter", shown.table, value), message);
    QTRY_COMPARE(keysPressed(recorder), keys);
    QTRY_COMPARE(shown.table->currentIndex().data().toString(), text);
    if (message.isEmpty() && keys.size())
        QCOMPARE(QApplication::clipboard()->text(), value.toString());
}

void TestTableProxy::mouse_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("target");

    // The position fields are not read.
    QTest::newRow("the middle of the current cell") << "2:3"
                                                    << "2:3";
    // Taking the focus makes the first cell current, but the aim was taken before.
    QTest::newRow("no current cell: the middle of the viewport") << ""
                                                                 << "";
}

void TestTableProxy::mouse()
{
    QFETCH(QString, current);
    QFETCH(QString, target);

    ShownTable shown("table", current);
    QVERIFY(shown.show());
    EventRecorder recorder({QEvent::MouseButtonPress});
    recorder.watch(shown.table->viewport());

    QCOMPARE(request("mouse", shown.table, "MouseClick:LeftButton:0.1:0.9:"), QString());
    QTRY_COMPARE(recorder.count(), 1);
    const QRect area = target.isEmpty() ? shown.table->viewport()->rect()
                                        : shown.table->visualRect(cellIndex(shown.table, target));
    QCOMPARE(recorder.entries().at(0).pos, area.center());
    QVERIFY(shown.table->hasFocus());
}

TC_TEST_MAIN(TestTableProxy)
#include "tst_tableproxy.moc"
