#include "recordingtest.h"
#include "testmain.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>
#include <QVBoxLayout>
#include <QToolBox>
#include <QTabWidget>
#include <QTabBar>
#include <QPushButton>
#include <QListWidget>
#include <QLabel>
#include <QApplication>

namespace {

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
        // The pointer comes to the item first: on a real display a submenu opens for a
        // pointer that moved onto its item, not for a click that came from nowhere.
        const QPoint centre = menu->actionGeometry(item).center();
        QTest::mouseMove(menu, centre);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, centre);
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

} // namespace

// Menu items chosen from a menu bar or a context menu, recorded.
class tst_RecordedMenus : public RecordingTest
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(extended("24"), QByteArray("0,recording")); }
    void cleanup() { extended("25"); }
    void menuBarItemIsItsPath();
    void checkableMenuItemKeepsTheStateItEndsIn();
    void contextMenuItemFollowsTheRightClick();
    void doubledAmpersandsReplayThroughTheProxiesThatReadThem();
};

void tst_RecordedMenus::menuBarItemIsItsPath()
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

void tst_RecordedMenus::checkableMenuItemKeepsTheStateItEndsIn()
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

void tst_RecordedMenus::contextMenuItemFollowsTheRightClick()
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

// "&&" shows as one '&'. The steps name tabs, buttons, menu items, tool box pages and items
// as shown, and each replays through the proxy that reads the same text; the button's
// "text" property is what the listing and the selector give.
void tst_RecordedMenus::doubledAmpersandsReplayThroughTheProxiesThatReadThem()
{
    QMainWindow window;
    window.setObjectName("ampersands");
    QMenu *edit = window.menuBar()->addMenu("&Edit");
    QAction *find = edit->addAction("&Find && Replace");
    int found = 0;
    connect(find, &QAction::triggered, this, [&found] { ++found; });
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    auto *tabs = new QTabWidget;
    tabs->setObjectName("tabs");
    tabs->addTab(new QLabel("first"), "General");
    tabs->addTab(new QLabel("second"), "&Tools && Options");
    layout->addWidget(tabs);
    auto *save = new QPushButton("&Save && Load");
    int saved = 0;
    connect(save, &QPushButton::clicked, this, [&saved] { ++saved; });
    layout->addWidget(save);
    auto *pages = new QToolBox;
    pages->setObjectName("pages");
    pages->addItem(new QLabel("one"), "Colours");
    pages->addItem(new QLabel("two"), "&Fonts && Sizes");
    layout->addWidget(pages);
    auto *spices = new QListWidget;
    spices->setObjectName("spices");
    spices->addItems({"Salt && Pepper", "Plain"});
    layout->addWidget(spices);
    window.setCentralWidget(central);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
    QTest::mouseClick(save, Qt::LeftButton);
    QTest::mouseClick(window.menuBar(), Qt::LeftButton, Qt::NoModifier,
                      window.menuBar()->actionGeometry(edit->menuAction()).center());
    QTRY_VERIFY_WITH_TIMEOUT(edit->isVisible(), 5000);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->actionGeometry(find).center());
    QTest::mouseClick(pages->findChildren<QAbstractButton *>().last(), Qt::LeftButton);
    QTest::mouseClick(spices->viewport(), Qt::LeftButton, Qt::NoModifier,
                      spices->visualItemRect(spices->item(0)).center());
    QCOMPARE(found, 1);
    QTRY_COMPARE_WITH_TIMEOUT(requests().size(), 5, 5000);

    const QStringList recorded = requests();
    // A tab of a tab widget is chosen through the tab widget, not its bar.
    QCOMPARE(recorded.first(), "5,Widget:ampersands,tabs,," + hex("s:Tools & Options") + ",");
    tabs->setCurrentIndex(0);
    pages->setCurrentIndex(0);
    spices->setCurrentRow(1);
    for (const QString &step : recorded) {
        QVERIFY2(extended(step.toUtf8()).startsWith("0,"), qPrintable(step));
        // The menu's Return closes it once delivered, as between two requests of a client.
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activePopupWidget(), 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(tabs->currentIndex(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(saved, 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(found, 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(pages->currentIndex(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(spices->currentRow(), 0, 5000);

    const QByteArray shown = "0,u:" + QByteArray("Save & Load").toHex();
    QCOMPARE(extended("7,Widget:ampersands,{QPushButton text='Save & Load'},,text,"), shown);
    bool listed = false;
    const QByteArray listing = extended("21,Widget:ampersands");
    for (const QJsonValue entry : QJsonDocument::fromJson(listing.mid(4)).array())
        listed = listed || entry.toObject().value("text").toString() == "Save & Load";
    QVERIFY2(listed, listing.constData());
}

TC_TEST_MAIN(tst_RecordedMenus)
#include "tst_recordedmenus.moc"
