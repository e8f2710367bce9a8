#include "dispatch/requestdispatcher.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QColumnView>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSlider>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTabWidget>
#include <QToolBox>
#include <QVBoxLayout>
#include <qpa/qwindowsysteminterface.h>

namespace {

QString hex(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toHex());
}

// A form as applications build it: named fields beside unnamed ones.
struct Form
{
    Form()
    {
        window.setObjectName("form");
        window.setWindowTitle("Recorded");
        auto *layout = new QVBoxLayout(&window);
        name = new QLineEdit;
        name->setObjectName("name");
        layout->addWidget(name);
        other = new QLineEdit;
        other->setObjectName("other");
        layout->addWidget(other);
        wrap = new QCheckBox("Wrap");
        layout->addWidget(wrap);
        colour = new QComboBox;
        colour->setObjectName("colour");
        colour->addItems({"Red", "Green", "Blue"});
        layout->addWidget(colour);
        tabs = new QTabWidget;
        tabs->setObjectName("tabs");
        tabs->addTab(new QLabel("first"), "&General");
        tabs->addTab(new QLabel("second"), "Advanced");
        layout->addWidget(tabs);
        canvas = new QWidget;
        canvas->setObjectName("canvas");
        canvas->setFixedSize(200, 100);
        layout->addWidget(canvas);
        apply = new QPushButton("Apply");
        layout->addWidget(apply);
        window.show();
        window.activateWindow();
    }
    QWidget window;
    QLineEdit *name;
    QLineEdit *other;
    QCheckBox *wrap;
    QComboBox *colour;
    QTabWidget *tabs;
    QWidget *canvas;
    QPushButton *apply;
};

// A main window with a menu bar, a submenu, a checkable item and a context menu that
// opens on a right click, without waiting in a loop of its own.
struct MenuWindow
{
    MenuWindow()
    {
        window.setObjectName("editor");
        window.setWindowTitle("Menus");
        file = window.menuBar()->addMenu("&File");
        open = file->addAction("&Open...");
        recent = file->addMenu("Recent");
        recentNotes = recent->addAction("notes.txt");
        view = window.menuBar()->addMenu("&View");
        wrap = view->addAction("Word &wrap");
        wrap->setCheckable(true);
        board = new QWidget;
        board->setObjectName("board");
        board->setContextMenuPolicy(Qt::CustomContextMenu);
        window.setCentralWidget(board);
        context = new QMenu(board);
        context->setObjectName("boardMenu");
        copy = context->addAction("&Copy");
        QObject::connect(board, &QWidget::customContextMenuRequested, board,
                         [this](const QPoint &pos) { context->popup(board->mapToGlobal(pos)); });
        window.resize(300, 200);
        window.show();
        window.activateWindow();
    }
    // Opens a menu of the bar and clicks its item, as a person does.
    static void choose(QMenu *menu, QAction *item)
    {
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(item).center());
    }
    void openFromBar(QMenu *menu)
    {
        QMenuBar *bar = window.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                          bar->actionGeometry(menu->menuAction()).center());
    }
    QMainWindow window;
    QMenu *file;
    QAction *open;
    QMenu *recent;
    QAction *recentNotes;
    QMenu *view;
    QAction *wrap;
    QWidget *board;
    QMenu *context;
    QAction *copy;
};

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

// A console line as calculators and shells have it: Return sends the text and clears it.
class Console : public QPlainTextEdit
{
public:
    QString sent;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Return)
            return QPlainTextEdit::keyPressEvent(event);
        sent = toPlainText();
        clear();
    }
};

} // namespace

class tst_SessionRecorder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void onlyTheExtendedModeRecords();
    void buttonClickIsAnActivate();
    void checkBoxKeepsTheStateItEndsIn();
    void threeStateBoxReplaysToTheStateItEndsIn();
    void typingIsOneEnterWithTheFinalText();
    void comboChoiceIsAnActivate();
    void tabChoiceIsAnActivateOnTheTabWidget();
    void otherClicksAreMouseCommands();
    void menuBarItemIsItsPath();
    void checkableMenuItemKeepsTheStateItEndsIn();
    void contextMenuItemFollowsTheRightClick();
    void itemClicksAreActivatesOfTheirViews();
    void itemDoubleAndRightClicksAreMouseCommands();
    void navigationKeysInViewsAreOneActivate();
    void keysOutsideFieldsAreKeyRequests();
    void keysTakenFromFieldsFollowTheTextTypedBeforeThem();
    void slidersGroupBoxesAndToolBoxesAreActivates();
    void cellEditsAreTheViewsEnterOfTheCell();
    void wheelTurnsEndInTheValueReached();
    void addressesOfAWindowThatClosesAreKept();
    void requestsOfTheAgentRecordNothing();
    void stoppedRecordsNothing();

private:
    QByteArray extended(const QByteArray &line)
    {
        return dispatcher.dispatch(QString::fromUtf8(line));
    }
    // The recorded request lines, without fetching changing anything.
    QStringList requests()
    {
        const QByteArray reply = extended("26");
        if (!reply.startsWith("0,j:"))
            return {QString::fromUtf8(reply)};
        QStringList lines;
        const QJsonArray steps = QJsonDocument::fromJson(reply.mid(4)).array();
        for (const QJsonValue &step : steps)
            lines << step.toObject().value("request").toString();
        return lines;
    }

    STApplicationProxy registry{agentProxyTable()};
    RequestDispatcher dispatcher{&registry, -1, true};
    Form *form = nullptr;
};

void tst_SessionRecorder::init()
{
    form = new Form;
    QVERIFY(QTest::qWaitForWindowExposed(&form->window));
    QCOMPARE(extended("24"), QByteArray("0,recording"));
}

void tst_SessionRecorder::cleanup()
{
    extended("25");
    delete form;
    form = nullptr;
}

void tst_SessionRecorder::onlyTheExtendedModeRecords()
{
    RequestDispatcher plain(&registry, -1);
    for (const char *line : {"24", "25", "26"})
        QCOMPARE(plain.dispatch(line), QByteArray("8,Command not found"));
    QCOMPARE(extended("26"), QByteArray("0,j:[]"));
}

void tst_SessionRecorder::buttonClickIsAnActivate()
{
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QCOMPARE(requests(), QStringList{"5,Widget:form,Apply_dialog_button,,,"});

    const QByteArray reply = extended("26");
    const QJsonObject step = QJsonDocument::fromJson(reply.mid(4)).array().at(0).toObject();
    QCOMPARE(step.value("window").toString(), QString("Widget:form"));
    QCOMPARE(step.value("address").toString(), QString("Apply_dialog_button"));
}

void tst_SessionRecorder::checkBoxKeepsTheStateItEndsIn()
{
    // On the box, not the middle of the row, which is outside the box and its text.
    const QPoint box(8, form->wrap->height() / 2);
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    QVERIFY(form->wrap->isChecked());
    // The application unchecks it again in its slot: the step says what it ended in.
    connect(form->wrap, &QCheckBox::toggled, form->wrap, [this](bool on) {
        if (on)
            form->wrap->setChecked(false);
    });
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
    const QString step = "5,Widget:form,{QCheckBox},,";
    QTRY_COMPARE_WITH_TIMEOUT(requests(),
                              (QStringList{step + hex("b:true") + ",", step + hex("b:false") + ",",
                                           step + hex("b:false") + ","}),
                              5000);
}

void tst_SessionRecorder::threeStateBoxReplaysToTheStateItEndsIn()
{
    form->wrap->setTristate(true);
    form->wrap->setCheckState(Qt::PartiallyChecked);
    const QPoint box(8, form->wrap->height() / 2);
    const QVector<Qt::CheckState> reached{Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked};
    for (Qt::CheckState state : reached) {
        QTest::mouseClick(form->wrap, Qt::LeftButton, Qt::NoModifier, box);
        QCOMPARE(form->wrap->checkState(), state);
    }
    const QString step = "5,Widget:form,{QCheckBox},,";
    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{step + hex("b:true") + ",", step + hex("b:false") + ",",
                                    step + hex("s:PartiallyChecked") + ","}));
    // Each step reaches its state from any state the box starts in.
    extended("25");
    for (int i = 0; i < recorded.size(); ++i) {
        for (Qt::CheckState start : reached) {
            form->wrap->setCheckState(start);
            QCOMPARE(extended(recorded.at(i).toUtf8()), QByteArray("0,QCheckBox"));
            QTRY_COMPARE_WITH_TIMEOUT(form->wrap->checkState(), reached.at(i), 5000);
        }
    }
}

void tst_SessionRecorder::typingIsOneEnterWithTheFinalText()
{
    QTest::mouseClick(form->name, Qt::LeftButton);
    QTest::keyClicks(form->name, "Adx");
    // A recording tool fetches the steps while the person types: that splits nothing.
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Adx") + ","});
    QTest::keyClick(form->name, Qt::Key_Backspace);
    QTest::keyClick(form->name, Qt::Key_A);
    // Still typing: the field's text so far is the last step, and fetching keeps it open.
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Ada") + ","});

    QTest::mouseClick(form->other, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->other->hasFocus(), 5000);
    QCOMPARE(requests(), QStringList{"6,Widget:form,name,," + hex("s:Ada") + ","});

    // A field left as it was is no step.
    QTest::mouseClick(form->name, Qt::LeftButton);
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QCOMPARE(requests().size(), 2);

    // A password is never given out: the step says it is one, without the value, and the
    // address of a field without a name does not read the value it had.
    auto *pin = new QLineEdit("hunter2");
    form->window.layout()->addWidget(pin);
    QTRY_VERIFY_WITH_TIMEOUT(pin->isVisible(), 5000);
    for (QLineEdit::EchoMode mode : {QLineEdit::Password, QLineEdit::PasswordEchoOnEdit}) {
        pin->setEchoMode(mode);
        QTest::mouseClick(pin, Qt::LeftButton);
        QTest::keyClicks(pin, "hunter2");
        QTest::mouseClick(form->apply, Qt::LeftButton);
        const QByteArray reply = extended("26");
        QVERIFY2(!reply.contains(hex("hunter2").toLatin1()) && !reply.contains("hunter2"), reply);
        const QJsonArray steps = QJsonDocument::fromJson(reply.mid(4)).array();
        const QJsonObject secret = steps.at(steps.size() - 2).toObject();
        QVERIFY(secret.value("request").toString().endsWith(",,,"));
        QCOMPARE(secret.value("secret").toBool(), true);
    }
}

void tst_SessionRecorder::comboChoiceIsAnActivate()
{
    QTest::mouseClick(form->colour, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), 5000);
    QWidget *list = form->colour->view();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(form->colour->currentText(), QString("Blue"), 5000);
    QCOMPARE(requests(), QStringList{"5,Widget:form,colour,," + hex("s:Blue") + ","});
}

void tst_SessionRecorder::tabChoiceIsAnActivateOnTheTabWidget()
{
    QTabBar *bar = form->tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
    QCOMPARE(form->tabs->currentIndex(), 1);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(0).center());
    QCOMPARE(requests(), (QStringList{"5,Widget:form,tabs,," + hex("s:Advanced") + ",",
                                      "5,Widget:form,tabs,," + hex("s:General") + ","}));
}

void tst_SessionRecorder::otherClicksAreMouseCommands()
{
    QTest::mouseClick(form->canvas, Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 75));
    QTest::mouseClick(form->canvas, Qt::RightButton, Qt::NoModifier, QPoint(1, 2));
    QCOMPARE(requests(),
             (QStringList{"9,Widget:form,canvas,," +
                              hex("s:MouseClick:LeftButton:0.2525:0.7550:ShiftModifier") + ",",
                          "9,Widget:form,canvas,," +
                              hex("s:MouseClick:RightButton:0.0075:0.0250:NoModifier") + ","}));
}

void tst_SessionRecorder::menuBarItemIsItsPath()
{
    MenuWindow menus;
    QVERIFY(QTest::qWaitForWindowExposed(&menus.window));
    int opened = 0;
    connect(menus.open, &QAction::triggered, this, [&opened] { ++opened; });
    int notes = 0;
    connect(menus.recentNotes, &QAction::triggered, this, [&notes] { ++notes; });

    menus.openFromBar(menus.file);
    MenuWindow::choose(menus.file, menus.open);
    QCOMPARE(opened, 1);
    // A submenu opens from its item; only the item that closes the menus is a step.
    menus.openFromBar(menus.file);
    MenuWindow::choose(menus.file, menus.recent->menuAction());
    MenuWindow::choose(menus.recent, menus.recentNotes);
    QCOMPARE(notes, 1);
    // The keyboard chooses too.
    menus.openFromBar(menus.file);
    QTRY_VERIFY_WITH_TIMEOUT(menus.file->isVisible(), 5000);
    menus.file->setActiveAction(menus.open);
    QTest::keyClick(menus.file, Qt::Key_Return);
    QCOMPARE(opened, 2);
    // Alt and the mnemonic open the menu as the bar's path does: no step of its own.
    menus.board->setFocus();
    QTest::keyClick(menus.board, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(menus.file->isVisible(), 5000);
    menus.file->setActiveAction(menus.open);
    QTest::keyClick(menus.file, Qt::Key_Return);
    QCOMPARE(opened, 3);

    const QStringList recorded = requests();
    const QString bar = "5,Widget:editor,{QMenuBar},,";
    QCOMPARE(
        recorded,
        (QStringList{bar + hex("s:File/Open...") + ",", bar + hex("s:File/Recent/notes.txt") + ",",
                     bar + hex("s:File/Open...") + ",", bar + hex("s:File/Open...") + ","}));

    // The step drives the menu bar again, and the agent's own walk is no step.
    QCOMPARE(extended(recorded.at(1).toUtf8()), QByteArray("0,QMenuBar"));
    QTRY_COMPARE_WITH_TIMEOUT(notes, 2, 5000);
    QCOMPARE(requests(), recorded);
}

void tst_SessionRecorder::checkableMenuItemKeepsTheStateItEndsIn()
{
    MenuWindow menus;
    QVERIFY(QTest::qWaitForWindowExposed(&menus.window));
    menus.openFromBar(menus.view);
    MenuWindow::choose(menus.view, menus.wrap);
    QVERIFY(menus.wrap->isChecked());
    menus.openFromBar(menus.view);
    MenuWindow::choose(menus.view, menus.wrap);
    QVERIFY(!menus.wrap->isChecked());
    const QString step = "5,Widget:editor,{QMenuBar},," + hex("s:View/Word wrap") + ",";
    QTRY_COMPARE_WITH_TIMEOUT(requests(),
                              (QStringList{step + hex("b:true"), step + hex("b:false")}), 5000);
}

void tst_SessionRecorder::contextMenuItemFollowsTheRightClick()
{
    MenuWindow menus;
    QVERIFY(QTest::qWaitForWindowExposed(&menus.window));
    int copied = 0;
    connect(menus.copy, &QAction::triggered, this, [&copied] { ++copied; });
    // Through the window, as the window system delivers it: the press opens the menu.
    const QPoint at = menus.board->mapTo(&menus.window, QPoint(30, 20));
    QTest::mouseClick(menus.window.windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    MenuWindow::choose(menus.context, menus.copy);
    QCOMPARE(copied, 1);

    const QSize size = menus.board->size();
    const QString click = QString("s:MouseClick:RightButton:%1:%2:NoModifier")
                              .arg((30 + 0.5) / size.width(), 0, 'f', 4)
                              .arg((20 + 0.5) / size.height(), 0, 'f', 4);
    QCOMPARE(requests(),
             (QStringList{"9,Widget:editor,board,," + hex(click) + ",",
                          "5,Widget:ActivePopupWidget,boardMenu,," + hex("s:Copy") + ","}));
}

void tst_SessionRecorder::itemClicksAreActivatesOfTheirViews()
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

void tst_SessionRecorder::itemDoubleAndRightClicksAreMouseCommands()
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

void tst_SessionRecorder::navigationKeysInViewsAreOneActivate()
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

void tst_SessionRecorder::keysOutsideFieldsAreKeyRequests()
{
    QVERIFY(QTest::qWaitForWindowActive(&form->window));
    auto *save = new QAction("Save", &form->window);
    save->setShortcut(QKeySequence("Ctrl+S"));
    form->window.addAction(save);
    int saved = 0;
    connect(save, &QAction::triggered, this, [&saved] { ++saved; });

    form->apply->setFocus();
    QTest::keyClick(form->apply, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(saved, 1);
    QTest::keyClick(form->apply, Qt::Key_Escape);
    form->wrap->setFocus();
    QTest::keyClick(form->wrap, Qt::Key_Tab);
    // In a field, editing keys stay the field's; Return confirms what was typed.
    form->name->setFocus();
    QTest::keyClicks(form->name, "Ada");
    QTest::keyClick(form->name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->name, Qt::Key_Return);
    // Space clicks the button with the focus.
    form->wrap->setFocus();
    QTest::keyClick(form->wrap, Qt::Key_Space);
    QVERIFY(form->wrap->isChecked());

    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{"23,Widget:form,Apply_dialog_button,," + hex("s:Ctrl+S") + ",",
                                    "23,Widget:form,Apply_dialog_button,," + hex("s:Esc") + ",",
                                    "23,Widget:form,{QCheckBox},," + hex("s:Tab") + ",",
                                    "6,Widget:form,name,," + hex("s:Ada") + ",",
                                    "23,Widget:form,name,," + hex("s:Return") + ",",
                                    "5,Widget:form,{QCheckBox},," + hex("b:true") + ","}));

    // The shortcut's step presses it again, and that is no step.
    QCOMPARE(extended(recorded.first().toUtf8()), QByteArray("0,QPushButton"));
    QTRY_COMPARE_WITH_TIMEOUT(saved, 2, 5000);
    QCOMPARE(requests(), recorded);
}

void tst_SessionRecorder::keysTakenFromFieldsFollowTheTextTypedBeforeThem()
{
    auto *console = new Console;
    console->setObjectName("console");
    auto *notes = new QPlainTextEdit;
    notes->setObjectName("notes");
    form->window.layout()->addWidget(console);
    form->window.layout()->addWidget(notes);
    QTRY_VERIFY_WITH_TIMEOUT(notes->isVisible(), 5000); // shown once the loop comes round
    QVERIFY(QTest::qWaitForWindowActive(&form->window));
    // A shortcut pressed while typing, which clears the field it was typed into.
    auto *clear = new QAction("Clear", &form->window);
    clear->setShortcut(QKeySequence("Ctrl+K"));
    form->window.addAction(clear);
    connect(clear, &QAction::triggered, form->name, &QLineEdit::clear);
    form->name->setFocus();
    QTest::keyClicks(form->name, "Ada");
    QTest::keyClick(form->name, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(form->name->text().isEmpty());
    // Return that the program takes with the text; Return typed as a line break.
    console->setFocus();
    QTest::keyClicks(console, "12*7");
    QTest::keyClick(console, Qt::Key_Return);
    QCOMPARE(console->sent, QString("12*7"));
    notes->setFocus();
    QTest::keyClicks(notes, "one");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "two");

    const QStringList recorded = requests();
    QCOMPARE(recorded, (QStringList{"6,Widget:form,name,," + hex("s:Ada") + ",",
                                    "23,Widget:form,name,," + hex("s:Ctrl+K") + ",",
                                    "6,Widget:form,console,," + hex("s:12*7") + ",",
                                    "23,Widget:form,console,," + hex("s:Return") + ",",
                                    "6,Widget:form,notes,," + hex("s:one\ntwo") + ","}));
    // Replayed, the steps send the same text and type the same lines.
    extended("25");
    console->sent.clear();
    notes->clear();
    for (const QString &line : recorded.mid(2))
        QCOMPARE(extended(line.toUtf8()).left(2), QByteArray("0,"));
    QTRY_COMPARE_WITH_TIMEOUT(notes->toPlainText(), QString("one\ntwo"), 5000);
    QCOMPARE(console->sent, QString("12*7"));
}

void tst_SessionRecorder::slidersGroupBoxesAndToolBoxesAreActivates()
{
    QWidget window;
    window.setWindowTitle("Controls");
    auto *layout = new QVBoxLayout(&window);
    auto *volume = new QSlider(Qt::Horizontal);
    volume->setObjectName("volume");
    volume->setRange(0, 100);
    volume->setFixedWidth(200);
    layout->addWidget(volume);
    auto *proxy = new QGroupBox("Use a proxy");
    proxy->setObjectName("proxy");
    proxy->setCheckable(true);
    new QVBoxLayout(proxy);
    proxy->layout()->addWidget(new QLabel("host"));
    layout->addWidget(proxy);
    auto *pages = new QToolBox;
    pages->setObjectName("pages");
    pages->addItem(new QLabel("one"), "&Colours");
    pages->addItem(new QLabel("two"), "Fonts");
    layout->addWidget(pages);
    auto *day = new QDateEdit(QDate(2024, 2, 28));
    day->setObjectName("day");
    day->setDisplayFormat("yyyy-MM-dd");
    layout->addWidget(day);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Dragged from the handle to the far end, through the window as the window system
    // delivers a drag.
    QWindow *handle = window.windowHandle();
    const auto at = [volume, &window](int x) {
        return volume->mapTo(&window, QPoint(x, volume->height() / 2));
    };
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, at(3));
    QTest::mouseMove(handle, at(150));
    QTest::mouseMove(handle, at(199));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, at(199));
    QCOMPARE(volume->value(), 100);
    // On the title: the check box in it.
    QTest::mouseClick(proxy, Qt::LeftButton, Qt::NoModifier,
                      QPoint(8, proxy->contentsRect().top() / 2));
    QVERIFY(!proxy->isChecked());
    QAbstractButton *fonts = pages->findChildren<QAbstractButton *>().last();
    QCOMPARE(fonts->text(), QString("Fonts"));
    QTest::mouseClick(fonts, Qt::LeftButton);
    QCOMPARE(pages->currentIndex(), 1);
    // A date edit is a field: its arrows and keys end in one enter of the text it shows.
    day->setFocus();
    QTest::keyClick(day, Qt::Key_Up);
    QCOMPARE(day->date(), QDate(2025, 2, 28));

    QTRY_COMPARE_WITH_TIMEOUT(requests(),
                              (QStringList{"5,Controls,volume,," + hex("i:100") + ",",
                                           "5,Controls,proxy,," + hex("b:false") + ",",
                                           "5,Controls,pages,," + hex("s:Fonts") + ",",
                                           "6,Controls,day,," + hex("s:2025-02-28") + ","}),
                              5000);

    // The steps bring a fresh state to the recorded one. The date edit keeps the focus until
    // then, its step still open: the focus leaves first, as the person would leave it.
    volume->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!day->hasFocus(), 5000);
    const QStringList recorded = requests();
    volume->setValue(0);
    proxy->setChecked(true);
    pages->setCurrentIndex(0);
    day->setDate(QDate(2024, 2, 28));
    for (const QString &step : recorded)
        QVERIFY2(extended(step.toUtf8()).startsWith("0,"), qPrintable(step));
    QTRY_COMPARE_WITH_TIMEOUT(volume->value(), 100, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!proxy->isChecked(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(pages->currentIndex(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(day->date(), QDate(2025, 2, 28), 5000);
    QCOMPARE(requests(), recorded);
}

void tst_SessionRecorder::cellEditsAreTheViewsEnterOfTheCell()
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

void tst_SessionRecorder::wheelTurnsEndInTheValueReached()
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

void tst_SessionRecorder::addressesOfAWindowThatClosesAreKept()
{
    // Addresses are decided late: a dialog that an unnamed button closes, with text typed
    // into its unnamed field, still yields steps that find both, as the window goes.
    auto *dialog = new QDialog;
    dialog->setWindowTitle("Rename");
    auto *layout = new QVBoxLayout(dialog);
    auto *field = new QLineEdit;
    layout->addWidget(field);
    auto *ok = new QPushButton("OK");
    ok->setAutoDefault(false);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, "notes");
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    delete dialog;
    // A widget without a name deleted before its address was read leaves a comment, never a
    // wrong step.
    auto *anonymous = new QFrame(&form->window);
    anonymous->setGeometry(0, 0, 20, 20);
    anonymous->show();
    QTest::mouseClick(anonymous, Qt::LeftButton);
    delete anonymous;
    QCOMPARE(requests(),
             (QStringList{"6,Rename,{QLineEdit},," + hex("s:notes") + ",",
                          "5,Rename,Ok_dialog_button,,,",
                          "# not recorded: a step (request 9) on a widget that was gone before "
                          "its address was read"}));
}

void tst_SessionRecorder::requestsOfTheAgentRecordNothing()
{
    QCOMPARE(extended("5,Widget:form,Apply_dialog_button,,,"), QByteArray("0,QPushButton"));
    QCOMPARE(extended("5,Widget:form,{QCheckBox},," + hex("b:true").toLatin1() + ","),
             QByteArray("0,QCheckBox"));
    QCOMPARE(extended("6,Widget:form,name,," + hex("s:Grace").toLatin1() + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(extended("5,Widget:form,colour,," + hex("s:Green").toLatin1() + ","),
             QByteArray("0,QComboBox"));
    QCOMPARE(extended("5,Widget:form,tabs,," + hex("s:Advanced").toLatin1() + ","),
             QByteArray("0,QTabWidget"));
    QCOMPARE(extended("9,Widget:form,canvas,," +
                      hex("s:MouseClick:LeftButton:0.5:0.5:NoModifier").toLatin1() + ","),
             QByteArray("0,QWidget"));
    // Whatever the requests left queued has been handled by now.
    QTRY_COMPARE_WITH_TIMEOUT(form->colour->currentText(), QString("Green"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(form->name->text(), QString("Grace"), 5000);
    QCoreApplication::processEvents();
    QCOMPARE(requests(), QStringList());
}

void tst_SessionRecorder::stoppedRecordsNothing()
{
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QCOMPARE(extended("25"), QByteArray("0,stopped"));
    QTest::mouseClick(form->apply, Qt::LeftButton);
    QTest::keyClicks(form->name, "late");
    // The steps stay until the next recording.
    QCOMPARE(requests().size(), 1);
}

TC_TEST_MAIN(tst_SessionRecorder)
#include "tst_sessionrecorder.moc"
