#include "squish/hierarchicalsearch.h"
#include "squish/searcherror.h"

#include "testmain.h"

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

namespace {

// A main window with a dialog parented to it, both shown:
//
//   MainWindow "Main Window"            dlg "Save As" (parent: MainWindow)
//     box                                 form
//       ok                                  name
//       (unnamed)                           cancel
//         apply
//     hiddenBox (hidden)
//       secret
//     single
//       (unnamed)
//         leaf
//     holder
//       hiddenLeaf (hidden)
struct Windows
{
    QWidget main;
    QDialog *dlg = nullptr;
    QGroupBox *hiddenBox = nullptr;

    Windows()
    {
        main.setObjectName("MainWindow");
        main.setWindowTitle("Main Window");
        auto *box = child<QGroupBox>(&main, "box");
        child<QPushButton>(box, "ok");
        child<QPushButton>(child<QWidget>(box, ""), "apply");
        hiddenBox = child<QGroupBox>(&main, "hiddenBox");
        child<QLineEdit>(hiddenBox, "secret");
        child<QLabel>(child<QWidget>(child<QFrame>(&main, "single"), ""), "leaf");
        auto *hiddenLeaf = child<QLabel>(child<QWidget>(&main, "holder"), "hiddenLeaf");
        main.show();
        hiddenBox->hide();
        hiddenLeaf->hide();

        dlg = new QDialog(&main);
        dlg->setObjectName("dlg");
        dlg->setWindowTitle("Save As");
        auto *form = child<QWidget>(dlg, "form");
        child<QLineEdit>(form, "name");
        child<QPushButton>(form, "cancel");
        dlg->show();
    }

    template <class T> static T *child(QWidget *parent, const char *name)
    {
        auto *widget = new T(parent);
        widget->setObjectName(name);
        return widget;
    }
};

// Row notation: entries separated by '|', "-" a missing entry, "''" the empty name.
QStringList entries(const QString &text)
{
    QStringList list;
    if (text.isEmpty())
        return list;
    const QStringList parts = text.split('|');
    for (const QString &part : parts) {
        if (part == "-")
            list << QString();
        else if (part == "''")
            list << QString("");
        else
            list << part;
    }
    return list;
}

} // namespace

class TestHierarchicalSearch : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void internalErrorForAnIndexBeyondTheList();
};

void TestHierarchicalSearch::search_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("title"); // "<null>" for no title filter
    QTest::addColumn<bool>("wildcard");
    QTest::addColumn<QString>("window"); // object name of pWindow, empty for none
    QTest::addColumn<bool>("onlyVisible");
    QTest::addColumn<QString>("found"); // object name of the result, empty for null
    QTest::addColumn<QString>("error");

    const QString none = "<null>";
    auto row = [&](const char *tag, const QString &names, const QString &found,
                   const QString &error, const QString &title = "<null>", bool wildcard = false,
                   const QString &window = QString(), bool onlyVisible = true) {
        QTest::newRow(tag) << names << title << wildcard << window << onlyVisible << found << error;
    };

    row("a window found by its own name", "MainWindow", "MainWindow", "NoError");
    row("a widget found by its name alone", "ok", "ok", "NoError");
    row("each name is the direct parent of the next", "MainWindow|box|ok", "ok", "NoError");
    row("a skipped level without a gap finds nothing", "MainWindow|ok", "", "WidgetNotFoundError");
    row("the empty name matches an unnamed level", "box|''|apply", "apply", "NoError");
    row("a gap stands for one level", "box|-|apply", "apply", "NoError");
    row("a gap stands for several levels", "MainWindow|-|apply", "apply", "NoError");
    row("a gap needs at least one level", "box|-|ok", "", "WidgetNotFoundError");
    row("a leading gap anchors at a parentless window", "-|MainWindow", "MainWindow", "NoError");
    row("a dialog with a parent window is not anchored", "-|dlg", "", "WidgetNotFoundError");
    row("a trailing gap per level descends to the only leaf", "single|-|-", "leaf", "NoError");
    row("a descent ending above further widgets is ambiguous", "single|-", "",
        "WidgetAmbiguousError");
    row("a descent with two children to choose from is ambiguous", "box|-", "",
        "WidgetAmbiguousError");
    row("a descent from a childless widget finds nothing", "ok|-", "", "WidgetNotFoundError");
    row("a widget in a hidden group box is not found", "secret", "", "WidgetNotFoundError");
    row("a widget in a hidden group box is found when hidden ones count", "secret", "secret",
        "NoError", none, false, QString(), false);
    row("a descent ending on a hidden widget finds nothing", "holder|-", "", "WidgetNotFoundError");
    row("a descent ending on a hidden widget succeeds when hidden ones count", "holder|-",
        "hiddenLeaf", "NoError", none, false, QString(), false);

    row("a dialog's widget is reached through both windows", "name", "", "WidgetAmbiguousError");
    row("the dialog's title leaves one root", "name", "name", "NoError", "Save As");
    row("the dialog as the window leaves one root", "name", "name", "NoError", none, false, "dlg");
    row("the given window must still pass the title filter", "name", "", "WidgetNotFoundError",
        "Main Window", false, "dlg");
    row("the dialog by its own name is found as a root only", "dlg", "dlg", "NoError");
    row("a title wildcard matches", "name", "name", "NoError", "Save*", true);
    row("a wildcard must match the whole title", "name", "", "WidgetNotFoundError", "Save", true);
    row("without wildcards an asterisk is literal", "name", "", "WidgetNotFoundError", "Save*");

    row("one missing entry with a title finds the window", "-", "dlg", "NoError", "Save As");
    row("one missing entry with a title pattern finds the window", "-", "dlg", "NoError", "Save*",
        true);
    row("one missing entry matching two titles is ambiguous", "-", "", "WidgetAmbiguousError", "*",
        true);
    row("one missing entry with an unknown title finds nothing", "-", "", "WidgetNotFoundError",
        "Open");
    row("the empty list is invalid", "", "", "InvalidWidgetPath", "Save As");
    row("two missing entries are invalid even with a title", "-|-", "", "InvalidWidgetPath",
        "Save As");
    row("one missing entry without a title is invalid", "-", "", "InvalidWidgetPath");
}

void TestHierarchicalSearch::search()
{
    QFETCH(QString, names);
    QFETCH(QString, title);
    QFETCH(bool, wildcard);
    QFETCH(QString, window);
    QFETCH(bool, onlyVisible);
    QFETCH(QString, found);
    QFETCH(QString, error);

    Windows windows;
    QWidget *pWindow = nullptr;
    if (!window.isEmpty()) {
        pWindow = windows.main.findChild<QWidget *>(window);
        QVERIFY(pWindow);
    }

    OxSquishProxy::searchError = -1;
    QWidget *result = HierarchicalSearch::findWidgetByHierarchicalName(
        entries(names), title == "<null>" ? QString() : title, pWindow, onlyVisible, wildcard);

    QCOMPARE(OxSquishProxy::searchErrorName(OxSquishProxy::searchError), error);
    if (found.isEmpty()) {
        QCOMPARE(result, static_cast<QWidget *>(nullptr));
    } else {
        QVERIFY(result);
        QCOMPARE(result->objectName(), found);
    }
}

void TestHierarchicalSearch::internalErrorForAnIndexBeyondTheList()
{
    QWidget widget;
    try {
        HierarchicalSearch::matchAncestors(&widget, {"a"}, 1);
        QFAIL("no exception");
    } catch (const std::logic_error &e) {
        QCOMPARE(e.what(), "checkPath(): internal error");
    }
}

TC_TEST_MAIN(TestHierarchicalSearch)
#include "tst_hierarchicalsearch.moc"
