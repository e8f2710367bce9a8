#include "squish/cinternalsquishproxycleanup.h"
#include "squish/cvornproxy.h"
#include "squish/squishhookloader.h"

#include "qtcompat.h"

#include "testmain.h"

#include <QCheckBox>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QLibrary>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace OxSquishProxy;

namespace {

const char prefixVariable[] = "SQUISH_PREFIX";

// Calls a slot by name with arguments typed by their meta-type names, as the outside
// tool's scripts do.
template <typename R, typename... Args> R call(QObject *proxy, const char *slot, Args... args)
{
    R result{};
    if (!QMetaObject::invokeMethod(proxy, slot, QReturnArgument<R>(QtCompat::typeName<R>(), result),
                                   QArgument<Args>(QtCompat::typeName<Args>(), args)...))
        QTest::qFail(slot, __FILE__, __LINE__);
    return result;
}

template <class T = QWidget> T *child(QWidget *parent, const char *name)
{
    auto *widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

// Two shown windows, the dialog parented to the main window:
//
//   MainWindow "Main Window"        dlg "Save As"
//     box                             name
//       ok
//       (unnamed)
//         apply
//     hiddenBox (hidden)
//       secret
//       ok
//     single
//       (unnamed)
//         leaf
void layOutWindows(QWidget &main)
{
    main.setObjectName("MainWindow");
    main.setWindowTitle("Main Window");
    QWidget *box = child(&main, "box");
    child(box, "ok");
    child(child(box, ""), "apply");
    QWidget *hiddenBox = child(&main, "hiddenBox");
    child(hiddenBox, "secret");
    child(hiddenBox, "ok");
    hiddenBox->hide();
    child(child(child(&main, "single"), ""), "leaf");
    auto *dlg = child<QDialog>(&main, "dlg");
    dlg->setWindowTitle("Save As");
    child(dlg, "name");
    main.show();
    dlg->show();
}

// Row notation: entries separated by '|', "-" a missing entry, "''" the empty name.
QStringList entries(const QString &text)
{
    QStringList list;
    for (const QString &part : text.split('|'))
        list << (part == "-" ? QString() : part == "''" ? QString("") : part);
    return list;
}

// Lays out an installation with the runner in <root>/bin and the libraries in
// <libraries>/bin. Every tree gets fresh copies, so each case loads its own wrapper with
// its own call counter.
bool layOut(const QString &root, const QString &libraries, bool wrapper)
{
    return QDir().mkpath(root + "/bin") && QDir().mkpath(libraries + "/bin") &&
           QFile(root + "/bin/squishrunner").open(QIODevice::WriteOnly) &&
           QFile::copy(STANDIN_HOOK_LIBRARY, libraries + "/bin/libsquishhook.so") &&
           (!wrapper ||
            QFile::copy(STANDIN_WRAPPER_LIBRARY, libraries + "/bin/libsquishqtwrapper.so"));
}

} // namespace

class tst_Squish : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void attach_data();
    void attach();
    void hierarchicalSearch_data();
    void hierarchicalSearch();
    void getWidgetChecksModalityByDefault();
    void clickPointsDocksAndTrayIcons();
    void cleanupOnQuitDeletesEachHelperOnce(); // last: it quits the application's loop
};

void tst_Squish::cleanup()
{
    qunsetenv(prefixVariable);
    qunsetenv("SQUISH_STANDIN_ACCEPT");
}

void tst_Squish::attach_data()
{
    QTest::addColumn<QString>("prefix");    // "<unset>", "<empty>" or below the temporary folder
    QTest::addColumn<QString>("libraries"); // "root", "variant" or "no wrapper" (at the root)
    QTest::addColumn<int>("accepted"); // the one version the stand-in wrapper accepts (0: none)
    QTest::addColumn<int>("hookVersion");
    QTest::addColumn<int>("calls"); // versions the wrapper was asked for, -1 for no wrapper

    auto row = [](const char *tag, const char *prefix, const char *libraries, int accepted,
                  int hookVersion, int calls) {
        QTest::newRow(tag) << prefix << libraries << accepted << hookVersion << calls;
    };
    row("an unset variable loads nothing", "<unset>", "root", 0, -1, 0);
    row("an empty variable loads nothing", "<empty>", "root", 0, -1, 0);
    row("the bin folder is taken one level up", "/bin", "root", 0, 0, 200);
    row("the bin folder moves up, then into the per-variant tree", "/bin", "variant", 0, 0, 200);
    row("the scan stops at the first accepted version", "", "root", 41250, 41250, 151);
    row("a missing wrapper leaves the hook version at 0", "", "no wrapper", 0, 0, -1);
}

void tst_Squish::attach()
{
    QFETCH(QString, prefix);
    QFETCH(QString, libraries);
    QFETCH(int, accepted);
    QFETCH(int, hookVersion);
    QFETCH(int, calls);

    QTemporaryDir dir;
    const QString root = dir.path();
    const QString libs = libraries == "variant" ? root + "/" + wrapperVariantName() : root;
    QVERIFY(layOut(root, libs, libraries != "no wrapper"));
    if (prefix != "<unset>")
        qputenv(prefixVariable,
                prefix == "<empty>" ? QByteArray() : QFile::encodeName(root + prefix));
    qputenv("SQUISH_STANDIN_ACCEPT", QByteArray::number(accepted));
    const QString given = qEnvironmentVariable(prefixVariable);

    const SquishAttachment attachment = attachSquish(wrapperVariantName());
    QScopedPointer<CVornProxy> proxy(attachment.scriptProxy);

    QCOMPARE(attachment.hookVersion, hookVersion);
    QCOMPARE(proxy ? proxy->objectName() : QString(),
             hookVersion < 0 ? QString() : "OxSquishProxy");
    // Only entering the per-variant tree rewrites the variable, for the tool's own libraries.
    QCOMPARE(qEnvironmentVariable(prefixVariable), libraries == "variant" ? libs : given);
    // Ascending from the first known version, stopping at the first accepted one.
    const auto asked = reinterpret_cast<int (*)()>(
        QLibrary::resolve(libs + "/bin/squishqtwrapper", "qtwrapper_standin_calls"));
    QCOMPARE(asked ? asked() : -1, calls);
}

void tst_Squish::hierarchicalSearch_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("title"); // null: no title filter
    QTest::addColumn<bool>("wildcard");
    QTest::addColumn<QString>("window"); // object name of pWindow, empty for none
    QTest::addColumn<bool>("onlyVisible");
    QTest::addColumn<QString>("found"); // object name of the result, empty for null
    QTest::addColumn<QString>("error");

    auto row = [](const char *tag, const QString &names, const QString &found, const QString &error,
                  const QString &title = QString(), bool wildcard = false,
                  const QString &window = QString(), bool onlyVisible = true) {
        QTest::newRow(tag) << names << title << wildcard << window << onlyVisible << found << error;
    };
    const QString ok = "NoError", notFound = "WidgetNotFoundError",
                  ambiguous = "WidgetAmbiguousError";

    row("each name is the direct parent of the next", "MainWindow|box|ok", "ok", ok);
    row("a skipped level without a gap finds nothing", "MainWindow|ok", "", notFound);
    row("the empty name matches an unnamed level", "box|''|apply", "apply", ok);
    row("a gap stands for several levels", "MainWindow|-|apply", "apply", ok);
    row("a gap needs at least one level", "box|-|ok", "", notFound);
    row("a leading gap anchors at a parentless window", "-|MainWindow", "MainWindow", ok);
    row("a dialog with a parent window is not anchored", "-|dlg", "", notFound);
    row("a trailing gap per level descends to the only leaf", "single|-|-", "leaf", ok);
    row("a descent ending above further widgets is ambiguous", "single|-", "", ambiguous);
    row("a widget in a hidden parent is not found", "secret", "", notFound);
    row("a hidden namesake does not make a name ambiguous", "ok", "ok", ok);
    row("a widget in a hidden parent is found when hidden ones count", "secret", "secret", ok,
        QString(), false, QString(), false);

    row("a dialog's widget is reached through both windows", "name", "", ambiguous);
    row("the dialog by its own name is found as a root only", "dlg", "dlg", ok);
    row("the dialog's title leaves one root", "name", "name", ok, "Save As");
    row("the dialog as the window leaves one root", "name", "name", ok, QString(), false, "dlg");
    row("the given window must still pass the title filter", "name", "", notFound, "Main Window",
        false, "dlg");
    row("a title wildcard matches", "name", "name", ok, "Save*", true);
    row("a wildcard must match the whole title", "name", "", notFound, "Save", true);
    row("without wildcards an asterisk is literal", "name", "", notFound, "Save*");
    // Shell wildcards as QRegExp's WildcardUnix read them, which the matcher replaces.
    row("a question mark is one character", "name", "name", ok, "Save?As", true);
    row("a set matches one of its characters", "name", "name", ok, "[RS]ave As", true);
    row("a set with '!' matches what is not in it", "name", "", notFound, "[!S]ave As", true);
    row("an escaped asterisk is literal", "name", "", notFound, "Save\\*", true);
    row("regular expression characters are plain text", "name", "", notFound, "Sav. As", true);

    row("one missing entry with a title finds the window", "-", "dlg", ok, "Save As");
    row("two missing entries are invalid even with a title", "-|-", "", "InvalidWidgetPath",
        "Save As");
    row("one missing entry without a title is invalid", "-", "", "InvalidWidgetPath");
}

void tst_Squish::hierarchicalSearch()
{
    QFETCH(QString, names);
    QFETCH(QString, title);
    QFETCH(bool, wildcard);
    QFETCH(QString, window);
    QFETCH(bool, onlyVisible);
    QFETCH(QString, found);
    QFETCH(QString, error);

    QWidget main;
    layOutWindows(main);
    CSquishProxy proxy("helper");
    // A script passes the helper's own null widget as "no window".
    QWidget *pWindow = window.isEmpty() ? call<QWidget *>(&proxy, "getQWidgetNullPtr")
                                        : main.findChild<QWidget *>(window);

    QWidget *result = call<QWidget *>(&proxy, "findWidgetByHierarchicalName", entries(names), title,
                                      pWindow, onlyVisible, wildcard);
    QCOMPARE(call<QString>(&proxy, "getLastError"), error);
    QCOMPARE(result ? result->objectName() : QString(), found);
}

void tst_Squish::getWidgetChecksModalityByDefault()
{
    QWidget main;
    main.setWindowTitle("Main");
    auto *edit = child<QLineEdit>(&main, "edit");
    main.show();
    QDialog dialog(&main);
    dialog.open();
    CVornProxy proxy("OxSquishProxy");

    QCOMPARE(call<QWidget *>(&proxy, "getWidget", QString("Nowhere"), QString("edit")), nullptr);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), "WindowNotFoundError");
    QCOMPARE(call<QWidget *>(&proxy, "getWidget", QString("Main"), QString("edit")), nullptr);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), "WindowNotActiveModalError");
    // Without the check the window behind the dialog is searched, and the error is reset.
    QCOMPARE(call<QWidget *>(&proxy, "getWidget", QString("Main"), QString("edit"), false), edit);
    QCOMPARE(call<QString>(&proxy, "getLastVornError"), "NoError");
}

void tst_Squish::clickPointsDocksAndTrayIcons()
{
    QWidget window;
    auto *check = new QCheckBox("A check box with a label far longer than its indicator", &window);
    auto *push = new QPushButton("Push", &window);
    auto *tool = new QToolButton(&window);
    tool->setPopupMode(QToolButton::MenuButtonPopup);
    tool->setMenu(new QMenu(tool));
    tool->setGeometry(0, 40, 80, 24);
    window.show();
    CSquishProxy proxy("helper");
    QWidget *const none = nullptr;
    const QPoint noPoint(-1, -1);

    // Scripts call these by signature, which no compiler checks, and pass null freely.
    QCOMPARE(call<QPoint>(&proxy, "getCheckBoxCheckClickPos", none), noPoint);
    QCOMPARE(call<QPoint>(&proxy, "getCheckBoxCheckClickPos", static_cast<QWidget *>(push)),
             noPoint);
    QCOMPARE(call<QPoint>(&proxy, "getGroupBoxCheckClickPos", none), noPoint);
    QCOMPARE(call<QPoint>(&proxy, "getRadioButtonClickPos", none), noPoint);
    QCOMPARE(call<QWidget *>(&proxy, "getActivatedSiblingDockWidget", none), nullptr);
    QVERIFY(!call<bool>(&proxy, "isDockWidgetActive", none));

    // The check box is clicked on its indicator, not in the middle of its long label.
    const QPoint onCheck =
        call<QPoint>(&proxy, "getCheckBoxCheckClickPos", static_cast<QWidget *>(check));
    QVERIFY(check->rect().contains(onCheck) && onCheck.x() < check->width() / 4);
    // The tool button's arrow lies right of its face.
    const QPoint arrow = call<QPoint>(&proxy, "getToolButtonClickPos", static_cast<QWidget *>(tool),
                                      QStyle::SC_ToolButtonMenu);
    const QPoint face = call<QPoint>(&proxy, "getToolButtonClickPos", static_cast<QWidget *>(tool),
                                     QStyle::SC_ToolButton);
    QVERIFY(tool->rect().contains(arrow) && arrow.x() > face.x());

    // Tray icons are found whether visible or not, and only when unique.
    auto *tray = new QSystemTrayIcon(&window);
    tray->setObjectName("tray");
    QCOMPARE(call<QObject *>(&proxy, "findTrayIcon", QString("tray")), tray);
    auto *twin = new QSystemTrayIcon(qApp);
    twin->setObjectName("tray");
    QCOMPARE(call<QObject *>(&proxy, "findTrayIcon", QString("tray")), nullptr);
    QCOMPARE(call<QString>(&proxy, "getLastError"), "WidgetAmbiguousError");
    delete twin;
}

void tst_Squish::cleanupOnQuitDeletesEachHelperOnce()
{
    QVector<int> deletions(3);
    const QList<CSquishProxy *> proxies = {new CSquishProxy("first"), new CVornProxy("second"),
                                           new CSquishProxy("third")};
    for (int i = 0; i < proxies.size(); ++i)
        connect(proxies.at(i), &QObject::destroyed, [&deletions, i] { ++deletions[i]; });

    // One deleted early leaves the list (it is not deleted again); quitting deletes the others.
    delete proxies.at(1);
    // Running the loop just long enough to quit it emits the application's real aboutToQuit.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();

    QCOMPARE(deletions, QVector<int>({1, 1, 1}));
}

TC_TEST_MAIN(tst_Squish)
#include "tst_squish.moc"
