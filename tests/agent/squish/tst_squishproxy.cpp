#include "squish/cinternalsquishproxycleanup.h"
#include "squish/cvornproxy.h"

#include "testmain.h"

#include <QCheckBox>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>

using OxSquishProxy::CInternalSquishProxyCleanup;
using OxSquishProxy::CSquishProxy;
using OxSquishProxy::CVornProxy;

namespace {

// Calls a slot by name with arguments typed by their meta-type names, as the outside
// tool's scripts do.
template <typename R, typename... Args> R call(QObject *proxy, const char *slot, Args... args)
{
    R result{};
    if (!QMetaObject::invokeMethod(
            proxy, slot, QReturnArgument<R>(QMetaType::typeName(qMetaTypeId<R>()), result),
            QArgument<Args>(QMetaType::typeName(qMetaTypeId<Args>()), args)...))
        QTest::qFail(slot, __FILE__, __LINE__);
    return result;
}

bool activate(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Runs the event loop just long enough to quit it: the application then emits its real
// aboutToQuit signal.
void quitApplicationOnce()
{
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
}

QWidget *const null = nullptr;

} // namespace

class TestSquishProxy : public QObject
{
    Q_OBJECT

private slots:
    void scriptInterface();
    void getWidgetReportsAndResetsTheLastError();
    void getWidgetModalityCheck_data();
    void getWidgetModalityCheck();
    void hierarchicalSearchThroughTheSlot();
    void clickPoints_data();
    void clickPoints();
    void toolButtonClickPoints();
    void dockWidgetActivity();
    void findTrayIcon_data();
    void findTrayIcon();
    void cleanupOnQuitDeletesEachHelperOnce();
};

void TestSquishProxy::scriptInterface()
{
    // Scripts address the slots by signature and parameter name, shorter overloads
    // included, so their order and names are part of the interface.
    const QStringList expected = {
        "findWidgetByHierarchicalName(QStringList,QString,QWidget*,bool,bool) "
        "hierarchicalName,windowTitle,pWindow,bOnlyVisible,bWildCardWindowTitle",
        "findWidgetByHierarchicalName(QStringList,QString,QWidget*,bool) "
        "hierarchicalName,windowTitle,pWindow,bOnlyVisible",
        "findWidgetByHierarchicalName(QStringList,QString,QWidget*) "
        "hierarchicalName,windowTitle,pWindow",
        "findWidgetByHierarchicalName(QStringList,QString) hierarchicalName,windowTitle",
        "findWidgetByHierarchicalName(QStringList) hierarchicalName",
        "getLastError() ",
        "getQWidgetNullPtr() ",
        "getCheckBoxCheckClickPos(QWidget*) pCheckBox",
        "getGroupBoxCheckClickPos(QWidget*) pGroupBox",
        "getRadioButtonClickPos(QWidget*) pRadioButton",
        "getToolButtonClickPos(QWidget*,QStyle::SubControl) pToolButton,subControl",
        "getActivatedSiblingDockWidget(QWidget*) pDockWidget",
        "isDockWidgetActive(QWidget*) pDockWidget",
        "findTrayIcon(QString) strObjectName",
        "getWidget(QString,QString,bool) p_cap,p_path,checkModality",
        "getWidget(QString,QString) p_cap,p_path",
        "getLastVornError() ",
    };
    const QMetaObject &meta = CVornProxy::staticMetaObject;
    QStringList actual;
    for (int i = QWidget::staticMetaObject.methodCount(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Public);
        actual << method.methodSignature() + ' ' + method.parameterNames().join(',');
    }
    QCOMPARE(actual, expected);
    QCOMPARE(meta.className(), "OxSquishProxy::CVornProxy");
    QCOMPARE(CSquishProxy::staticMetaObject.className(), "OxSquishProxy::CSquishProxy");
    QCOMPARE(CInternalSquishProxyCleanup::staticMetaObject.className(),
             "OxSquishProxy::CInternalSquishProxyCleanup");

    CVornProxy named("OxSquishProxy");
    CSquishProxy unnamed(nullptr);
    QCOMPARE(named.objectName(), QStringLiteral("OxSquishProxy"));
    QVERIFY(unnamed.objectName().isNull());
}

void TestSquishProxy::getWidgetReportsAndResetsTheLastError()
{
    QWidget main;
    main.setWindowTitle("Main");
    auto *edit = new QLineEdit(&main);
    edit->setObjectName("edit");
    main.show();
    CVornProxy proxy("OxSquishProxy");
    CVornProxy other("other");

    QCOMPARE(call<QWidget *>(&proxy, "getWidget", QString("Nowhere"), QString("edit")), null);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), QStringLiteral("WindowNotFoundError"));
    QCOMPARE(call<QString>(&other, "getLastVornError"), QStringLiteral("NoError"));
    QCOMPARE(call<QWidget *>(&proxy, "getWidget", QString("Main"), QString("edit")), edit);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), QStringLiteral("NoError"));
}

void TestSquishProxy::getWidgetModalityCheck_data()
{
    QTest::addColumn<int>("checkModality"); // -1 leaves the argument out
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("error");

    QTest::newRow("the default checks modality") << -1 << false << "WindowNotActiveModalError";
    QTest::newRow("without the check the main window is searched") << 0 << true << "NoError";
}

void TestSquishProxy::getWidgetModalityCheck()
{
    QFETCH(int, checkModality);
    QFETCH(bool, found);
    QFETCH(QString, error);

    QWidget main;
    main.setWindowTitle("Main");
    auto *edit = new QLineEdit(&main);
    edit->setObjectName("edit");
    main.show();
    auto *dialog = new QDialog(&main);
    dialog->setModal(true);
    dialog->show();
    QCOMPARE(QApplication::activeModalWidget(), dialog);
    CVornProxy proxy("OxSquishProxy");

    QWidget *result =
        checkModality < 0
            ? call<QWidget *>(&proxy, "getWidget", QString("Main"), QString("edit"))
            : call<QWidget *>(&proxy, "getWidget", QString("Main"), QString("edit"), false);
    QCOMPARE(result, found ? edit : nullptr);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), error);
}

void TestSquishProxy::hierarchicalSearchThroughTheSlot()
{
    QWidget main;
    main.setObjectName("main");
    auto *ok = new QPushButton(&main);
    ok->setObjectName("ok");
    main.show();
    CSquishProxy proxy("helper");

    // A script passes the helper's own null widget as "no window".
    QWidget *noWindow = call<QWidget *>(&proxy, "getQWidgetNullPtr");
    QCOMPARE(call<QWidget *>(&proxy, "findWidgetByHierarchicalName", QStringList({"main", "ok"}),
                             QString(), noWindow, true, false),
             ok);
    QCOMPARE(call<QString>(&proxy, "getLastError"), QStringLiteral("NoError"));
    QCOMPARE(call<QWidget *>(&proxy, "findWidgetByHierarchicalName", QStringList()), null);
    QCOMPARE(call<QString>(&proxy, "getLastError"), QStringLiteral("InvalidWidgetPath"));
}

void TestSquishProxy::clickPoints_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("widgetClass"); // empty: a null widget
    QTest::addColumn<bool>("inside");         // false: the slot answers (-1, -1)

    const QByteArray checkBox = "getCheckBoxCheckClickPos";
    const QByteArray groupBox = "getGroupBoxCheckClickPos";
    const QByteArray radio = "getRadioButtonClickPos";
    QTest::newRow("a check box's point lies on it") << checkBox << "QCheckBox" << true;
    QTest::newRow("a push button is no check box") << checkBox << "QPushButton" << false;
    QTest::newRow("a null check box has no point") << checkBox << "" << false;
    QTest::newRow("a group box's point lies on it") << groupBox << "QGroupBox" << true;
    QTest::newRow("a check box is no group box") << groupBox << "QCheckBox" << false;
    QTest::newRow("a radio button's point lies on it") << radio << "QRadioButton" << true;
    QTest::newRow("a check box is no radio button") << radio << "QCheckBox" << false;
}

void TestSquishProxy::clickPoints()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, widgetClass);
    QFETCH(bool, inside);

    QWidget window;
    QWidget *widget = nullptr;
    if (widgetClass == "QCheckBox")
        widget = new QCheckBox("Remember me", &window);
    else if (widgetClass == "QPushButton")
        widget = new QPushButton("OK", &window);
    else if (widgetClass == "QRadioButton")
        widget = new QRadioButton("Large", &window);
    else if (widgetClass == "QGroupBox")
        widget = new QGroupBox("Options", &window);
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        box->setCheckable(true);
    if (widget)
        widget->resize(160, 60);
    window.show();
    CSquishProxy proxy("helper");

    const QPoint point = call<QPoint>(&proxy, slot.constData(), widget);
    if (inside)
        QVERIFY(widget->rect().contains(point));
    else
        QCOMPARE(point, QPoint(-1, -1));
}

void TestSquishProxy::toolButtonClickPoints()
{
    QWidget window;
    auto *button = new QToolButton(&window);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->resize(80, 30);
    window.show();
    CSquishProxy proxy("helper");

    const char *slot = "getToolButtonClickPos";
    const QPoint arrow =
        call<QPoint>(&proxy, slot, static_cast<QWidget *>(button), QStyle::SC_ToolButtonMenu);
    const QPoint main =
        call<QPoint>(&proxy, slot, static_cast<QWidget *>(button), QStyle::SC_ToolButton);
    QVERIFY(button->rect().contains(arrow));
    QVERIFY(button->rect().contains(main));
    QVERIFY2(arrow.x() > button->width() / 2, "the arrow part is at the right");
    QVERIFY(main.x() < arrow.x());
    QCOMPARE(call<QPoint>(&proxy, slot, &window, QStyle::SC_ToolButton), QPoint(-1, -1));
}

void TestSquishProxy::dockWidgetActivity()
{
    QMainWindow main;
    main.setCentralWidget(new QWidget);
    auto *docked = new QDockWidget("Docked", &main);
    auto *tabified = new QDockWidget("Tabified", &main);
    main.addDockWidget(Qt::LeftDockWidgetArea, docked);
    main.tabifyDockWidget(docked, tabified);
    auto *floating = new QDockWidget("Floating", &main);
    main.addDockWidget(Qt::RightDockWidgetArea, floating);
    floating->setFloating(true);
    QWidget plain;
    auto *outsideMainWindow = new QDockWidget("Outside", &plain);
    main.resize(400, 300);
    main.show();
    plain.show();
    CSquishProxy proxy("helper");
    const char *active = "isDockWidgetActive";
    const char *sibling = "getActivatedSiblingDockWidget";

    QVERIFY(activate(&plain));
    QVERIFY(!call<bool>(&proxy, active, static_cast<QWidget *>(outsideMainWindow)));
    QVERIFY(!call<bool>(&proxy, active, static_cast<QWidget *>(tabified)));
    QVERIFY(!call<bool>(&proxy, active, &plain));
    QVERIFY(!call<bool>(&proxy, active, null));
    QCOMPARE(call<QWidget *>(&proxy, sibling, static_cast<QWidget *>(docked)), null);
    QCOMPARE(call<QWidget *>(&proxy, sibling, &plain), null);

    QVERIFY(activate(&main));
    // The tab in front is active; the dock behind it is moved out of the main window.
    QVERIFY(call<bool>(&proxy, active, static_cast<QWidget *>(tabified)));
    QVERIFY(!call<bool>(&proxy, active, static_cast<QWidget *>(docked)));
    QCOMPARE(call<QWidget *>(&proxy, sibling, static_cast<QWidget *>(docked)), tabified);
    QCOMPARE(call<QWidget *>(&proxy, sibling, static_cast<QWidget *>(tabified)), null);

    // Some styles count a floating dock as active along with its main window; the window
    // system focusing the dock itself is the portable case.
    QApplication::setActiveWindow(floating);
    QTRY_COMPARE(QApplication::activeWindow(), floating);
    QVERIFY(call<bool>(&proxy, active, static_cast<QWidget *>(floating)));
}

void TestSquishProxy::findTrayIcon_data()
{
    // Icons named "tray" are created under these owners.
    QTest::addColumn<QStringList>("owners");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("error");

    QTest::newRow("an icon owned by the application object")
        << QStringList{"app"} << true << "NoError";
    QTest::newRow("an icon inside a hidden window") << QStringList{"window"} << true << "NoError";
    QTest::newRow("two icons of the same name are ambiguous")
        << QStringList{"app", "window"} << false << "WidgetAmbiguousError";
    QTest::newRow("no icon of that name") << QStringList{} << false << "WidgetNotFoundError";
}

void TestSquishProxy::findTrayIcon()
{
    QFETCH(QStringList, owners);
    QFETCH(bool, found);
    QFETCH(QString, error);

    QWidget window;
    auto *inner = new QWidget(&window);
    QObject appOwned; // between the application object and its icon; leaves it when destroyed
    QList<QObject *> icons;
    for (const QString &owner : owners) {
        if (owner == "app")
            appOwned.setParent(qApp);
        icons << new QSystemTrayIcon(owner == "app" ? &appOwned : static_cast<QObject *>(inner));
        icons.last()->setObjectName("tray");
    }
    (new QSystemTrayIcon(inner))->setObjectName("other");
    CSquishProxy proxy("helper");

    QCOMPARE(call<QObject *>(&proxy, "findTrayIcon", QString("tray")),
             found ? icons.first() : nullptr);
    QCOMPARE(call<QString>(&proxy, "getLastError"), error);
}

void TestSquishProxy::cleanupOnQuitDeletesEachHelperOnce()
{
    int deletions[3] = {};
    const QList<CSquishProxy *> proxies = {new CSquishProxy("first"), new CVornProxy("second"),
                                           new CSquishProxy("third")};
    for (int i = 0; i < proxies.size(); ++i)
        connect(proxies.at(i), &QObject::destroyed, [&deletions, i] { ++deletions[i]; });
    CInternalSquishProxyCleanup *cleanup = CInternalSquishProxyCleanup::instance();
    QVERIFY(cleanup);

    // One deleted early leaves the list; quitting deletes the others.
    delete proxies.at(1);
    QCOMPARE(cleanup->registeredProxies(), (QList<CSquishProxy *>{proxies.at(0), proxies.at(2)}));

    quitApplicationOnce();

    QCOMPARE(deletions[0], 1);
    QCOMPARE(deletions[1], 1);
    QCOMPARE(deletions[2], 1);
    QVERIFY(cleanup->registeredProxies().isEmpty());
    QVERIFY(!cleanup->isCleaningUp());
}

TC_TEST_MAIN(TestSquishProxy)
#include "tst_squishproxy.moc"
