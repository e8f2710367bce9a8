#include "itemviewtestsupport.h"
#include "listtreetestsupport.h"
#include "testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>

class tst_TableProxy : public QObject
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

// Rows "North", "South", "2", "Hidden" by columns "Name", "3", "Size", "Gone", the last row
// and column hidden: '2' names row 3 and '3' column 2. Cells read "r<row>c<column>", except
// column 3, which holds numbers (edited in a spin box). "duplicates" has rows "a", "b", "a"
// and columns "x", "x"; "widget" is a 2 x 5 QTableWidget. "editing" opens the editor
// whenever the current cell changes; "editing without tabs" has no tab-key navigation.
static QTableView *newTable(const QString &kind)
{
    if (kind == QLatin1String("widget"))
        return new QTableWidget(2, 5);
    auto *table = new QTableView;
    table->setObjectName(QStringLiteral("widget"));
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

void tst_TableProxy::property_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QVariant>("expected");

    const QString table = "table", text = "itemText", rowHeader = "rowHeaderText";
    const QString type = "Type error: object \"widget\" of class \"QTableView\" accepts ";
    QTest::newRow("header texts") << table << text << QVariant("South:Size") << QVariant("20");
    QTest::newRow("a row titled 2 wins over row 2")
        << table << text << QVariant("2:1") << QVariant("r3c1");
    QTest::newRow("a column titled 3 wins over column 3")
        << table << text << QVariant("North:3:x") << QVariant("r1c2");
    QTest::newRow("numbers name hidden sections")
        << table << text << QVariant("4:4") << QVariant("r4c4");
    QTest::newRow("hidden rows' texts are skipped")
        << table << text << QVariant("Hidden:1") << QVariant("Row Hidden not found");
    QTest::newRow("row 0") << table << text << QVariant("0:1")
                           << QVariant("Invalid row 0 is out of range [1, 4]");
    QTest::newRow("no colon") << table << text << QVariant("2")
                              << QVariant("Syntax Error, format \"%r:%c\" expected");
    QTest::newRow("a number is no cell")
        << table << text << QVariant(5) << QVariant(type + "string.");
    QTest::newRow("two rows named a")
        << "duplicates" << text << QVariant("a:1") << QVariant("Same row name at row 1 and 3");
    QTest::newRow("row header") << table << rowHeader << QVariant("3") << QVariant("2");
    QTest::newRow("row header of a name")
        << table << rowHeader << QVariant("North") << QVariant("Invalid integer");
    QTest::newRow("row header of a bool")
        << table << rowHeader << QVariant(true) << QVariant(type + "string, int.");
    QTest::newRow("column header 0") << table << "columnHeaderText" << QVariant(0)
                                     << QVariant("Invalid col 0 is out of range [1, 4]");
    QTest::newRow("hidden rows count") << table << "rowCount" << QVariant() << QVariant(4);
    QTest::newRow("table widget") << "widget"
                                  << "columnCount" << QVariant() << QVariant(5);
    QTest::newRow("no current row") << table << "currentRow" << QVariant() << QVariant(0);
}

void tst_TableProxy::property()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, argument);
    QFETCH(QVariant, expected);

    QScopedPointer<QTableView> table(newTable(kind));
    QCOMPARE(viewProperty(table.data(), name, argument), expected);
}

// Records each key press and release once, for the whole application (the editors that the
// table opens on the way receive keys too). A key that a widget ignores travels on to its
// parents, and presses and releases alternate: the same press or release twice in a row is
// one key on its way.
class KeyRecorder : public EventRecorder
{
public:
    KeyRecorder() : EventRecorder({QEvent::KeyPress, QEvent::KeyRelease}) { watch(qApp); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *key = dynamic_cast<QKeyEvent *>(event);
        if (key && !entries().isEmpty() && entries().last().type == event->type() &&
            entries().last().key == key->key() && entries().last().modifiers == key->modifiers())
            return false;
        return EventRecorder::eventFilter(watched, event);
    }
};

static QModelIndex cellIndex(QTableView *table, const QString &cell)
{
    const QStringList parts = cell.split(':');
    return table->model()->index(parts[0].toInt() - 1, parts[1].toInt() - 1);
}

// A shown table with the focus elsewhere and the numbered cell "row:column" current (none
// for ""), set once shown: the table's first focus makes its first cell current.
struct ShownTable
{
    ShownTable(const QString &kind, const QString &current) : host(newTable(kind)), current(current)
    {
        table = static_cast<QTableView *>(host.widget);
        host.window.layout()->addWidget(other = new QLineEdit);
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
    QString currentCell() const
    {
        const QModelIndex index = table->currentIndex();
        return QStringLiteral("%1:%2").arg(index.row() + 1).arg(index.column() + 1);
    }
    Hosted host;
    QString current;
    QTableView *table;
    QLineEdit *other;
};

void tst_TableProxy::navigation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("reached");

    const QString table = "table", editing = "editing", none;
    QTest::newRow("right, then down") << table << "1:1"
                                      << "South:Size" << none << "<Right><Right><Down>"
                                      << "2:3";
    QTest::newRow("left, then up") << table << "3:3"
                                   << "1:1" << none << "<Left><Left><Up><Up>"
                                   << "1:1";
    QTest::newRow("the current cell") << table << "2:2"
                                      << "South:3" << none << ""
                                      << "2:2";
    QTest::newRow("a hidden row") << table << "1:1"
                                  << "4:1"
                                  << "row 4 is hidden"
                                  << ""
                                  << "1:1";
    QTest::newRow("a hidden column") << table << "1:1"
                                     << "1:4"
                                     << "column 4 is hidden"
                                     << ""
                                     << "1:1";
    QTest::newRow("editing on move: Tab to the right") << editing << "1:1"
                                                       << "1:Size" << none << "<Tab><Tab>"
                                                       << "1:3";
    // As the keyboard sends Shift+Tab: an open editor would read Tab with Shift as Tab.
    QTest::newRow("editing on move: Shift+Tab to the left, then up")
        << editing << "2:3"
        << "North:Name" << none << "<Shift+Backtab><Shift+Backtab><Up>"
        << "1:1";
    // The first Left opens the editor, which takes the other 19 of 5 x 4 presses.
    QTest::newRow("editing on move without tab navigation: arrows, up to the bound")
        << "editing without tabs"
        << "1:3"
        << "1:1" << none << QString("<Left>").repeated(20) << "1:2";
}

void tst_TableProxy::navigation()
{
    QFETCH(QString, kind);
    QFETCH(QString, start);
    QFETCH(QString, cell);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, reached);

    ShownTable shown(kind, start);
    QVERIFY(shown.show());
    KeyRecorder recorder;
    QCOMPARE(activate(shown.table, cell, QVariant()), message);
    QCOMPARE(pressedKeys(recorder), keys);
    QCOMPARE(shown.currentCell(), reached);
}

void tst_TableProxy::enter_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    const QString edit = "<F2><End><Shift+Home><Control+V>";
    QTest::newRow("a text cell") << "2:1" << QVariant("Ada") << "" << edit + "<Return>"
                                 << "Ada";
    QTest::newRow("no current cell: the first, which the focus makes current")
        << "" << QVariant("Ada") << "" << edit + "<Return>"
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

void tst_TableProxy::enter()
{
    QFETCH(QString, cell);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QString, text);

    ShownTable shown("table", cell);
    QVERIFY(shown.show());
    KeyRecorder recorder;
    QCOMPARE(request("enter", shown.table, value), message);
    QTRY_COMPARE(pressedKeys(recorder), keys);
    QTRY_COMPARE(shown.table->currentIndex().data().toString(), text);
    if (!keys.isEmpty())
        QCOMPARE(QApplication::clipboard()->text(), value.toString());
}

void tst_TableProxy::mouse_data()
{
    QTest::addColumn<QString>("current");

    // The position fields are not read.
    QTest::newRow("the middle of the current cell") << "2:3";
    // Taking the focus makes the first cell current, but the aim was taken before.
    QTest::newRow("no current cell: the middle of the viewport") << "";
}

void tst_TableProxy::mouse()
{
    QFETCH(QString, current);

    ShownTable shown("table", current);
    QVERIFY(shown.show());
    EventRecorder recorder({QEvent::MouseButtonPress});
    recorder.watch(shown.table->viewport());

    QCOMPARE(request("mouse", shown.table, "MouseClick:LeftButton:0.1:0.9:"), QString());
    QTRY_COMPARE(recorder.count(), 1);
    const QRect area = current.isEmpty() ? shown.table->viewport()->rect()
                                         : shown.table->visualRect(cellIndex(shown.table, current));
    QCOMPARE(recorder.entries().at(0).pos, area.center());
    QVERIFY(shown.table->hasFocus());
}

TC_TEST_MAIN(tst_TableProxy)
#include "tst_tableproxy.moc"
