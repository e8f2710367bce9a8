#include "controltestsupport.h"
#include "protocol/wiretext.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBox>

class tst_PageProxies : public QObject
{
    Q_OBJECT

private slots:
    void tabs_data();
    void tabs();
    void tabsScrolledOutOfTheBar();
    void tabProperties_data();
    void tabProperties();
    void toolBox_data();
    void toolBox();
    void dockWidget_data();
    void dockWidget();
};

// A tab widget with the tabs &General and &Advanced, the second current, and the tool tips
// "Fonts & colours" and "&Expert settings". Its own bar stands in for a "tab bar".
static QTabWidget *newTabs()
{
    auto *tabs = new QTabWidget;
    tabs->addTab(new QLabel(QStringLiteral("general")), QStringLiteral("&General"));
    tabs->addTab(new QLabel(QStringLiteral("advanced")), QStringLiteral("&Advanced"));
    tabs->setTabToolTip(0, QStringLiteral("Fonts & colours"));
    tabs->setTabToolTip(1, QStringLiteral("&Expert settings"));
    tabs->setCurrentIndex(1);
    return tabs;
}

void tst_PageProxies::tabs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("message");

    const QString widgetRange = "Type error: object \"widget\" of class \"QTabWidget\" accepts "
                                "only values in the following range: [0, 1].";
    QTest::newRow("tab widget: General by its text without the ampersand")
        << "tab widget" << false << QVariant("General") << 0 << QString();
    QTest::newRow("tab widget: index 2 is out of range")
        << "tab widget" << false << QVariant(2) << 1 << widgetRange;
    QTest::newRow("tab widget: an unknown text fails with the range too")
        << "tab widget" << false << QVariant("Network") << 1 << widgetRange;
    QTest::newRow("tab widget: the text with its ampersand is unknown")
        << "tab widget" << false << QVariant("&General") << 1 << widgetRange;
    QTest::newRow("tab bar: General by text")
        << "tab bar" << false << QVariant("General") << 0 << QString();
    QTest::newRow("tab bar: index 0") << "tab bar" << false << QVariant(0) << 0 << QString();
    QTest::newRow("extended tab widget: an unknown text lists the tabs")
        << "tab widget" << true << QVariant("general") << 1
        << "Error: no tab of widget \"widget\" of class \"QTabWidget\" reads \"general\"; "
           "the tabs read \"General\", \"Advanced\"";
    QTest::newRow("extended tab widget: index 2 is out of range")
        << "tab widget" << true << QVariant(2) << 1 << widgetRange;
}

void tst_PageProxies::tabs()
{
    QFETCH(QString, kind);
    QFETCH(bool, extended);
    QFETCH(QVariant, value);
    QFETCH(int, current);
    QFETCH(QString, message);

    QTabWidget *tabs = newTabs();
    Hosted host(tabs);
    QVERIFY(host.show());
    QTabBar *bar = tabs->tabBar();
    EventRecorder recorder({QEvent::MouseButtonPress});
    recorder.watch(bar);

    QWidget *target = kind == QLatin1String("tab bar") ? static_cast<QWidget *>(bar) : tabs;
    QCOMPARE(request("activate", target, value,
                     extended ? WireText::Mode::Extended : WireText::Mode::Plain),
             message);
    QTRY_COMPARE(recorder.count(), message.isEmpty() ? 1 : 0);
    QCOMPARE(bar->currentIndex(), current);
}

// A bar too narrow for its tabs shows scroll buttons at its end: a tab past either end is
// scrolled into view with them, one click at a time, and then clicked.
void tst_PageProxies::tabsScrolledOutOfTheBar()
{
    auto *tabs = new QTabWidget;
    for (int i = 0; i < 12; ++i)
        tabs->addTab(new QLabel(QString::number(i)), QStringLiteral("Settings page %1").arg(i));
    tabs->tabBar()->setUsesScrollButtons(true);
    Hosted host(tabs);
    host.window.setFixedWidth(260);
    QVERIFY(host.show());
    QTabBar *bar = tabs->tabBar();
    QVERIFY(!bar->rect().contains(bar->tabRect(11).center()));

    for (const int tab : {11, 0, 7}) {
        QCOMPARE(request("activate", tabs, QStringLiteral("Settings page %1").arg(tab)), QString());
        QTRY_COMPARE(bar->currentIndex(), tab);
    }
}

void tst_PageProxies::tabProperties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("tab texts without their ampersands")
        << "itemList" << QVariant(QStringList({"General", "Advanced"}));
    QTest::newRow("tool tips lose their first ampersand")
        << "toolTipList" << QVariant(QStringList({"Fonts  colours", "Expert settings"}));
    QTest::newRow("current text") << "currentText" << QVariant("Advanced");
    QTest::newRow("current tool tip as it stands")
        << "currentToolTip" << QVariant("&Expert settings");
}

void tst_PageProxies::tabProperties()
{
    QFETCH(QString, name);
    QFETCH(QVariant, expected);

    QScopedPointer<QTabWidget> tabs(newTabs());
    STApplicationProxy registry{agentProxyTable()};
    QCOMPARE(registry.getProxyProperty(tabs.data(), QString(), name, QVariant()), expected);
}

void tst_PageProxies::toolBox_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("message");

    // Pages: &Shapes, Colours (current), Sizes (header hidden), Sizes, Locked (disabled).
    QTest::newRow("a header is named by its text, ampersand and all")
        << QVariant("&Shapes") << 0 << QString();
    QTest::newRow("the text without its ampersand names nothing")
        << QVariant("Shapes") << 1 << "activate, ToolBoxButton not found";
    QTest::newRow("a hidden header is passed over for a visible one of the same text")
        << QVariant("Sizes") << 3 << QString();
    QTest::newRow("a disabled header")
        << QVariant("Locked") << 1 << "activate, ToolBoxButton is disabled";
}

void tst_PageProxies::toolBox()
{
    QFETCH(QVariant, value);
    QFETCH(int, current);
    QFETCH(QString, message);

    auto *box = new QToolBox;
    for (const char *title : {"&Shapes", "Colours", "Sizes", "Sizes", "Locked"})
        box->addItem(new QLabel(QString::fromLatin1(title).toLower()), QString::fromLatin1(title));
    box->setCurrentIndex(1);
    box->setItemEnabled(4, false);
    const QList<QWidget *> headers =
        box->findChildren<QWidget *>(QStringLiteral("qt_toolbox_toolboxbutton"));
    QCOMPARE(headers.size(), 5);
    headers.at(2)->hide();
    Hosted host(box);
    QVERIFY(host.show());

    QCOMPARE(request("activate", box, value), message);
    QTRY_COMPARE(box->currentIndex(), current);

    STApplicationProxy registry{agentProxyTable()};
    QCOMPARE(registry.getProxyProperty(box, QString(), "itemList", QVariant()),
             QVariant(QStringList({"&Shapes", "Colours", "Sizes", "Sizes", "Locked"})));
}

void tst_PageProxies::dockWidget_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("dock");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("clicks");

    QTest::newRow("tabified, behind: its tab is clicked") << "tabified"
                                                          << "History" << QVariant() << 1;
    QTest::newRow("tabified, in front: its own tab is clicked") << "tabified"
                                                                << "Properties" << QVariant() << 1;
    QTest::newRow("floating: nothing to click") << "floating"
                                                << "History" << QVariant() << 0;
    QTest::newRow("side by side: nothing to click") << "side by side"
                                                    << "History" << QVariant() << 0;
}

void tst_PageProxies::dockWidget()
{
    QFETCH(QString, layout);
    QFETCH(QString, dock);
    QFETCH(QVariant, value);
    QFETCH(int, clicks);

    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("central")));
    window.resize(600, 400);
    QDockWidget *docks[2];
    const char *titles[2] = {"History", "Properties"};
    for (int i = 0; i < 2; ++i) {
        docks[i] = new QDockWidget(QString::fromLatin1(titles[i]), &window);
        docks[i]->setObjectName(QString::fromLatin1(titles[i]));
        docks[i]->setWidget(new QLabel(QString::fromLatin1(titles[i]).toLower()));
        window.addDockWidget(Qt::RightDockWidgetArea, docks[i]);
    }
    if (layout != QLatin1String("side by side"))
        window.tabifyDockWidget(docks[0], docks[1]);
    QVERIFY(showActive(&window));
    if (layout == QLatin1String("floating"))
        docks[0]->setFloating(true);

    // The main window's own tab bar shows which of the stacked docks is in front.
    QTabBar *bar = nullptr;
    for (QTabBar *candidate : window.findChildren<QTabBar *>()) {
        if (candidate->parentWidget() == &window && candidate->count() == 2)
            bar = candidate;
    }
    // Stacked later, Properties starts in front.
    if (layout == QLatin1String("tabified"))
        QCOMPARE(bar->tabText(bar->currentIndex()), QStringLiteral("Properties"));
    EventRecorder recorder({QEvent::MouseButtonPress});
    recorder.watch(qApp);

    QCOMPARE(request("activate", window.findChild<QDockWidget *>(dock), value), QString());
    QTRY_COMPARE(recorder.count(), clicks);
    if (clicks)
        QCOMPARE(bar->tabText(bar->currentIndex()), dock);
}

TC_TEST_MAIN(tst_PageProxies)
#include "tst_pageproxies.moc"
