#include "recordingtest.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QColumnView>
#include <QComboBox>
#include <QListWidget>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <qpa/qwindowsysteminterface.h>

namespace {

// One view of each kind: a list, a two-column tree, a table with column headers and a
// column view, which only the generic item view proxy drives.
struct Views
{
    Views()
    {
        window.setObjectName("views");
        window.setWindowTitle("Views");
        auto *layout = new QVBoxLayout(&window);
        fruits = new QListWidget;
        fruits->setObjectName("fruits");
        fruits->addItems({"Apple", "Pear", "Plum", "Pear"});
        layout->addWidget(fruits);
        tree = new QTreeWidget;
        tree->setObjectName("tree");
        tree->setColumnCount(2);
        auto *fruit = new QTreeWidgetItem(tree, {"Fruit", "2"});
        new QTreeWidgetItem(fruit, {"Pear", "3"});
        new QTreeWidgetItem(tree, {"in/out", ""});
        tree->expandAll();
        layout->addWidget(tree);
        sheet = new QTableWidget(3, 2);
        sheet->setObjectName("sheet");
        sheet->setHorizontalHeaderLabels({"Name", "Qty"});
        layout->addWidget(sheet);
        model.appendRow(new QStandardItem("north"));
        model.appendRow(new QStandardItem("south"));
        columns = new QColumnView;
        columns->setObjectName("columns");
        columns->setModel(&model);
        layout->addWidget(columns);
        window.resize(400, 700);
        window.show();
        window.activateWindow();
    }
    static QPoint centreOf(QAbstractItemView *view, const QModelIndex &index)
    {
        return view->visualRect(index).center();
    }
    QWidget window;
    QListWidget *fruits;
    QTreeWidget *tree;
    QTableWidget *sheet;
    QStandardItemModel model;
    QColumnView *columns;
};

} // namespace

// What a person does in item views, and with the mouse wheel, recorded.
class tst_RecordedViews : public RecordingTest
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(extended("24"), QByteArray("0,recording")); }
    void cleanup() { extended("25"); }
    void itemClicksAreActivatesOfTheirViews();
    void itemDoubleAndRightClicksAreMouseCommands();
    void navigationKeysInViewsAreOneActivate();
    void cellEditsAreTheViewsEnterOfTheCell();
    void wheelTurnsEndInTheValueReached();
};

void tst_RecordedViews::itemClicksAreActivatesOfTheirViews()
{
    Views views;
    QVERIFY(QTest::qWaitForWindowExposed(&views.window));
    QListWidget *list = views.fruits;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(list, list->model()->index(2, 0)));
    // A text two items carry names the item by its row.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(list, list->model()->index(1, 0)));
    QTreeWidget *tree = views.tree;
    const QModelIndex pear = tree->model()->index(0, 0, tree->model()->index(0, 0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(tree, pear));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(tree, tree->model()->index(1, 0)));
    QTableWidget *sheet = views.sheet;
    QTest::mouseClick(sheet->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(sheet, sheet->model()->index(2, 1)));
    // A Shift-click that extends the selection is said to be missing, never a plain click.
    QTest::mouseClick(sheet->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      Views::centreOf(sheet, sheet->model()->index(0, 1)));
    QTRY_VERIFY_WITH_TIMEOUT(!views.columns->findChildren<QAbstractItemView *>().isEmpty(), 5000);
    QAbstractItemView *column = views.columns->findChildren<QAbstractItemView *>().first();
    QTest::mouseClick(column->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Views::centreOf(column, views.model.index(1, 0)));
    QCOMPARE(views.columns->currentIndex(), views.model.index(1, 0));

    const QStringList recorded = requests();
    QCOMPARE(
        recorded,
        (QStringList{"5,Widget:views,fruits,," + hex("s:Plum") + ",",
                     "5,Widget:views,fruits,," + hex("i:1") + ",",
                     "5,Widget:views,tree,," + hex("s:Fruit:2/Pear:3") + ",",
                     "5,Widget:views,tree,," + hex("s:in\\/out:") + ",",
                     "5,Widget:views,sheet,," + hex("s:3:Qty") + ",",
                     "# not recorded: a Shift-click on 1:Qty of sheet, which extends the "
                     "selection",
                     "5,Widget:views,columns,," + hex("s:2") + "," + hex("s:ClearAndSelect")}));

    // Each step makes the same item current again.
    list->setCurrentRow(0);
    tree->setCurrentItem(tree->topLevelItem(0));
    sheet->setCurrentCell(0, 0);
    views.columns->setCurrentIndex(views.model.index(0, 0));
    for (const QString &step : recorded) {
        if (!step.startsWith('#'))
            QVERIFY2(extended(step.toUtf8()).startsWith("0,"), qPrintable(step));
    }
    QTRY_COMPARE_WITH_TIMEOUT(list->currentRow(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(tree->currentIndex(), tree->model()->index(1, 0), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(sheet->currentRow(), 2, 5000);
    QCOMPARE(sheet->currentColumn(), 1);
    QCOMPARE(views.columns->currentIndex(), views.model.index(1, 0));
    QCOMPARE(requests(), recorded);
}

void tst_RecordedViews::itemDoubleAndRightClicksAreMouseCommands()
{
    Views views;
    QVERIFY(QTest::qWaitForWindowExposed(&views.window));
    QTreeWidget *tree = views.tree;
    const QModelIndex fruit = tree->model()->index(0, 0);
    int doubled = 0;
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [&doubled] { ++doubled; });
    // Through the window, which makes the second press a double click as the window
    // system's input does.
    QTest::mouseDClick(views.window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       tree->viewport()->mapTo(&views.window, Views::centreOf(tree, fruit)));
    QCOMPARE(doubled, 1);
    QListWidget *list = views.fruits;
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 5));

    const QStringList recorded = requests();
    QCOMPARE(recorded.size(), 4);
    QCOMPARE(recorded.at(0), "5,Widget:views,tree,," + hex("s:Fruit:2") + ",");
    QVERIFY(
        recorded.at(1).startsWith("9,Widget:views,tree,," + hex("s:MouseDoubleClick:LeftButton:")));
    QCOMPARE(recorded.at(2), "5,Widget:views,fruits,," + hex("s:Apple") + ",");
    QVERIFY(
        recorded.at(3).startsWith("9,Widget:views,fruits,," + hex("s:MouseClick:RightButton:")));

    // The view's mouse command is understood as it was recorded.
    QCOMPARE(extended(recorded.at(1).toUtf8()), QByteArray("0,QTreeView"));
    QTRY_COMPARE_WITH_TIMEOUT(doubled, 2, 5000);
}

void tst_RecordedViews::navigationKeysInViewsAreOneActivate()
{
    Views views;
    QVERIFY(QTest::qWaitForWindowActive(&views.window));
    QListWidget *list = views.fruits;
    list->setFocus();
    list->setCurrentRow(0);
    // Keys that go on moving in one view are one step, at the item they end on.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier); // extends the selection: no step
    QTreeWidget *tree = views.tree;
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_Down);
    // In a view that selects ranges, Shift extends the selection: said once to be missing.
    views.sheet->setFocus();
    views.sheet->setCurrentCell(0, 0);
    QTest::keyClick(views.sheet, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(views.sheet, Qt::Key_Down, Qt::ShiftModifier);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);

    const QStringList recorded = requests();
    QCOMPARE(recorded,
             (QStringList{"5,Widget:views,fruits,," + hex("s:Plum") + ",",
                          "5,Widget:views,tree,," + hex("s:Fruit:2/Pear:3") + ",",
                          "# not recorded: Shift+Down in sheet, which extends the selection",
                          "5,Widget:views,fruits,," + hex("s:Apple") + ","}));

    const QModelIndex treeCurrent = tree->currentIndex();
    list->setCurrentRow(3);
    tree->setCurrentItem(tree->topLevelItem(0));
    QVERIFY(extended(recorded.at(0).toUtf8()).startsWith("0,"));
    QTRY_COMPARE_WITH_TIMEOUT(list->currentRow(), 2, 5000);
    QVERIFY(extended(recorded.at(1).toUtf8()).startsWith("0,"));
    QTRY_COMPARE_WITH_TIMEOUT(tree->currentIndex(), treeCurrent, 5000);
}

void tst_RecordedViews::cellEditsAreTheViewsEnterOfTheCell()
{
    Views views;
    QVERIFY(QTest::qWaitForWindowExposed(&views.window));
    QTableWidget *sheet = views.sheet;
    sheet->setItem(0, 0, new QTableWidgetItem("10"));
    // The first key opens the cell's editor and is handed to it unseen; the rest reach the
    // editor, whose text is half typed until Return commits it.
    const auto typeInto = [sheet](int row, int column, const QString &text, int endKey) {
        QTest::mouseClick(sheet->viewport(), Qt::LeftButton, Qt::NoModifier,
                          Views::centreOf(sheet, sheet->model()->index(row, column)));
        QTest::keyClicks(sheet, text.left(1));
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() != sheet, 5000);
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(endKey));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), sheet, 5000);
    };
    typeInto(0, 0, "1000", Qt::Key_Return);
    typeInto(2, 1, "42", Qt::Key_Return);
    typeInto(1, 1, "dropped", Qt::Key_Escape);
    QCOMPARE(sheet->item(0, 0)->text(), QString("1000"));

    const QString step = "Widget:views,sheet,,";
    const QStringList recorded = requests();
    QCOMPARE(recorded,
             (QStringList{"5," + step + hex("s:1:Name") + ",", "6," + step + hex("s:1000") + ",",
                          "5," + step + hex("s:3:Qty") + ",", "6," + step + hex("s:42") + ",",
                          "5," + step + hex("s:2:Qty") + ","}));
    sheet->clearContents();
    sheet->setCurrentCell(1, 0);
    for (const QString &line : recorded)
        QVERIFY2(extended(line.toUtf8()).startsWith("0,"), qPrintable(line));
    QTRY_VERIFY_WITH_TIMEOUT(sheet->item(2, 1) && sheet->item(2, 1)->text() == "42", 5000);
    QCOMPARE(sheet->item(0, 0)->text(), QString("1000"));
}

void tst_RecordedViews::wheelTurnsEndInTheValueReached()
{
    QWidget window;
    window.setObjectName("settings");
    auto *layout = new QVBoxLayout(&window);
    auto *count = new QSpinBox;
    count->setObjectName("count");
    count->setValue(3);
    layout->addWidget(count);
    auto *level = new QSlider(Qt::Horizontal);
    level->setObjectName("level");
    layout->addWidget(level);
    auto *unit = new QComboBox;
    unit->setObjectName("unit");
    unit->addItems({"mm", "cm", "m"});
    layout->addWidget(unit);
    auto *page = new QScrollArea;
    page->setObjectName("page");
    auto *tall = new QWidget;
    tall->setFixedSize(100, 2000);
    page->setWidget(tall);
    page->setFixedHeight(100);
    layout->addWidget(page);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Turned as the window system delivers the wheel: spontaneously, over the widget.
    const auto turn = [&window](QWidget *over, int notches) {
        const QPoint centre = over->rect().center();
        QWindowSystemInterface::handleWheelEvent(
            window.windowHandle(), over->mapTo(&window, centre), over->mapToGlobal(centre),
            QPoint(), QPoint(0, 120 * notches));
        QWindowSystemInterface::flushWindowSystemEvents();
    };
    turn(count, 1);
    turn(count, 1);
    turn(level, 1);
    turn(unit, -1);
    turn(page, -1);
    turn(page, -1);
    QCOMPARE(count->value(), 5);
    QVERIFY(level->value() > 0);
    QCOMPARE(unit->currentText(), QString("cm"));

    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{"6,Widget:settings,count,," + hex("s:5") + ",",
                                    "5,Widget:settings,level,," +
                                        hex("i:" + QString::number(level->value())) + ",",
                                    "5,Widget:settings,unit,," + hex("s:cm") + ",",
                                    "# not recorded: the mouse wheel scrolled page"}));
    const int reached = level->value();
    count->setValue(0);
    level->setValue(0);
    unit->setCurrentIndex(2);
    for (const QString &line : recorded.mid(0, 3))
        QVERIFY2(extended(line.toUtf8()).startsWith("0,"), qPrintable(line));
    QTRY_COMPARE_WITH_TIMEOUT(count->value(), 5, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(level->value(), reached, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(unit->currentText(), QString("cm"), 5000);
}

TC_TEST_MAIN(tst_RecordedViews)
#include "tst_recordedviews.moc"
