#include "addressing/widgetaddressing.h"
#include "addressing/widgetcatalog.h"
#include "testmain.h"

#include <QAction>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace WidgetAddressing;

Q_DECLARE_METATYPE(WindowCheck)
Q_DECLARE_METATYPE(LookupErrorKind)

namespace {

// A push button subclass: naming must use the most derived class, yet still count it
// as a push button.
class CustomButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};

// One row of a data table, on one line.
template <typename... Values> void addRow(const char *tag, Values... values)
{
    (QTest::newRow(tag) << ... << values);
}

QToolButton *toolButton(QWidget *parent, const QStringList &actionNames)
{
    auto *button = new QToolButton(parent);
    for (const QString &name : actionNames) {
        auto *action = new QAction(QStringLiteral("Act"), button);
        action->setObjectName(name);
        button->addAction(action);
    }
    return button;
}

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

// Window "dialog" with same-named buttons in two containers, unnamed widgets and a
// hidden/visible pair sharing one name. The window has a parent of its own, above which
// paths must not reach.
struct PathScene
{
    PathScene()
    {
        owner.setObjectName(QStringLiteral("owner"));
        w[QStringLiteral("window")] = named(&window, "dialog");
        QWidget *frame = named(new QWidget(&window), "frame");
        w[QStringLiteral("frameOk")] = named(new QPushButton(frame), "ok");
        w[QStringLiteral("frameLabel")] = new QLabel(frame);
        QWidget *box = new QWidget(named(new QWidget(&window), "left"));
        w[QStringLiteral("save")] = new QPushButton(QStringLiteral("&Save"), box);
        named(new QPushButton(named(new QWidget(&window), "right")), "ok");
        named(new QLabel(&window), "twin")->setVisible(false);
        w[QStringLiteral("twinVisible")] = named(new QLabel(&window), "twin");
        QWidget *labels = named(new QWidget(&window), "labels");
        new QLabel(labels);
        new QLabel(labels);
        named(new QLabel(labels), "unnamed"); // literally named so: never an unnamed target
        window.show();
    }
    QWidget owner;
    QDialog window{&owner};
    QHash<QString, QWidget *> w;
};

} // namespace

class tst_WidgetAddressing : public QObject
{
    Q_OBJECT

private slots:
    void findWindow_data();
    void findWindow();
    void checkWindow_data();
    void checkWindow();
    void syntheticName_data();
    void syntheticName();
    void getName_data();
    void getName();
    void resolveWidget_data();
    void resolveWidget();
    void specialLastElements();
    void listingSeesWindowsBelowHiddenWidgets();
};

void tst_WidgetAddressing::findWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // the window found, if any

    addRow("no popup open", "Widget:ActivePopupWidget", "");
    addRow("active modal, prefix holding a colon", "Widget:ActiveModalWidget:Save: rep", "modal");
    addRow("active modal, colon prefix compared whole", "Widget:ActiveModalWidget:Save: x", "");
    addRow("Widget: alone is the empty object name", "Widget:", "untitled");
    addRow("empty title prefix skips the untitled window", "", "modal");
    addRow("null title prefix skips the untitled window", QString(), "modal");
}

void tst_WidgetAddressing::findWindow()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);

    QWidget untitled;
    QDialog modal;
    modal.setObjectName(QStringLiteral("saveDialog"));
    modal.setWindowTitle(QStringLiteral("Save: report"));
    modal.setWindowModality(Qt::ApplicationModal);
    untitled.show();
    modal.show();
    const QHash<QString, QWidget *> windows{{"untitled", &untitled}, {"modal", &modal}};

    QWidget *window = nullptr;
    QCOMPARE(WidgetAddressing::findWindow(window, name), expected.isEmpty() ? 0 : 1);
    if (!expected.isEmpty())
        QCOMPARE(window, windows.value(expected));
}

void tst_WidgetAddressing::checkWindow_data()
{
    QTest::addColumn<WindowCheck>("mode");
    QTest::addColumn<bool>("popupPassesAnyWindow");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<LookupErrorKind>("kind");

    const WindowCheck strict = WindowCheck::Strict, lenient = WindowCheck::Lenient;
    const LookupErrorKind notPopup = WindowNotActivePopupError;
    const LookupErrorKind notModal = WindowNotActiveModalError;
    addRow("strict, active window behind popup fails", strict, false, "popup", "active", notPopup);
    addRow("strict ignores the mouse exception", strict, true, "popup", "other", notPopup);
    addRow("lenient, modal blocks the active window", lenient, false, "modal", "active", notModal);
    addRow("lenient, mouse exception only for popups", lenient, true, "modal", "other", notModal);
}

void tst_WidgetAddressing::checkWindow()
{
    QFETCH(WindowCheck, mode);
    QFETCH(bool, popupPassesAnyWindow);
    QFETCH(QString, open);
    QFETCH(QString, subject);
    QFETCH(LookupErrorKind, kind);

    QWidget popup, modal, active, other;
    const QHash<QString, QWidget *> windows{{"active", &active}, {"other", &other}};
    ActiveWidgets widgets;
    widgets.popup = open == "popup" ? &popup : nullptr;
    widgets.modal = open == "modal" ? &modal : nullptr;
    widgets.activeWindow = &active;
    QCOMPARE(
        WidgetAddressing::checkWindow(windows.value(subject), mode, widgets, popupPassesAnyWindow),
        kind);
}

void tst_WidgetAddressing::syntheticName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");

    addRow("mnemonic, punctuation and blanks", "  &open \t FILE...\n", "OpenFile...");
    addRow("doubled ampersand vanishes", "&Save && Exit", "SaveExit");
    addRow("Latin-1 letters", QString::fromUtf8("ÉTÉ chaud"), QString::fromUtf8("ÉtéChaud"));
    addRow("only ampersands and blanks", " & && ", "");
}

void tst_WidgetAddressing::syntheticName()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(WidgetAddressing::syntheticName(text), name);
}

void tst_WidgetAddressing::getName_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("candidate"); // whether widgetList finds the widget by that name

    addRow("object name wins over a named action", "namedTool", "tool", true);
    addRow("tool button by its only action", "actionTool", "openAct_action_button", true);
    addRow("action name, object name cleared", "clearedTool", "openAct_action_button", false);
    addRow("tool button with two actions", "twoActionTool", "unnamed", false);
    addRow("tool button with an unnamed action", "unnamedActionTool", "unnamed", false);
    addRow("tool button falls through to input rule", "inputTool", "QToolButton__widget__", true);
    addRow("push button subclass by its text", "customPush", "Cancel_dialog_button", true);
    addRow("button text, object name cleared", "clearedPush", "Ok_dialog_button", false);
    addRow("input child by most derived class", "inputCustomPush", "CustomButton__widget__", true);
    addRow("input dialog child, object name cleared", "clearedEdit", "QLineEdit__widget__", false);
    addRow("line edit one level deep in an input dialog", "deepEdit", "unnamed", false);
}

// Names made up from actions, texts and classes are found only for widgets that never had
// an object name, although getName gives the same name either way.
void tst_WidgetAddressing::getName()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(bool, candidate);

    QWidget root;
    QInputDialog *input = new QInputDialog(&root);
    QHash<QString, QWidget *> w;
    w["namedTool"] = named(toolButton(&root, {"openAct"}), "tool");
    w["actionTool"] = toolButton(&root, {"openAct"});
    w["clearedTool"] = named(named(toolButton(&root, {"openAct"}), "x"), "");
    w["twoActionTool"] = toolButton(&root, {"openAct", "closeAct"});
    w["unnamedActionTool"] = toolButton(&root, {QString()});
    w["inputTool"] = toolButton(input, {"openAct", "closeAct"});
    w["customPush"] = new CustomButton(QStringLiteral("&Cancel"), &root);
    w["clearedPush"] = named(named(new QPushButton(QStringLiteral("OK"), &root), "x"), "");
    w["inputCustomPush"] = new CustomButton(input);
    w["clearedEdit"] = named(named(new QLineEdit(input), "x"), "");
    w["deepEdit"] = new QLineEdit(new QWidget(input));

    QVERIFY(w.contains(key));
    QCOMPARE(WidgetAddressing::getName(w.value(key)), name);
    QList<QWidget *> list;
    widgetList(list, &root, name);
    QCOMPARE(list.contains(w.value(key)), candidate);
}

void tst_WidgetAddressing::resolveWidget_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<LookupErrorKind>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("target");

    addRow("strict parent mismatch", "left/Save_dialog_button", WidgetNotFoundError, 0, "");
    addRow("unnamed middle level", "left/unnamed/Save_dialog_button", NoError, 1, "save");
    addRow("gap spanning one level", "left//Save_dialog_button", NoError, 1, "save");
    addRow("gap spanning no level", "frame//ok", NoError, 1, "frameOk");
    addRow("same name, ambiguous", "ok", WidgetAmbiguousError, 2, "");
    addRow("above the window", "owner/dialog/frame/ok", WidgetNotFoundError, 0, "");
    addRow("hidden and visible twins", "twin", NoError, 1, "twinVisible");
    addRow("the window by its own name", "dialog", NoError, 1, "window");
    addRow("unnamed siblings", "labels/unnamed", WidgetAmbiguousError, 2, "");
    addRow("trailing slash", "frame/", NoError, 1, "frameLabel");
    addRow("null path: every unnamed widget", QString(), WidgetAmbiguousError, 5, "");
}

void tst_WidgetAddressing::resolveWidget()
{
    QFETCH(QString, path);
    QFETCH(LookupErrorKind, kind);
    QFETCH(int, count);
    QFETCH(QString, target);

    PathScene scene;
    const auto resolve = [](const QString &path) {
        return WidgetAddressing::resolveWidget("Widget:dialog", path, ResolveVariant(),
                                               ActiveWidgets());
    };
    const LookupResult result = resolve(path);
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.count, count);
    QCOMPARE(result.window, &scene.window);
    QCOMPARE(result.widget, scene.w.value(target));
    // The path a found widget is described by finds it again.
    if (result.widget)
        QCOMPARE(resolve(widgetPath(result.widget)).widget, result.widget);
}

// The special last elements name a widget whatever the rest of the path says, and only for
// the callers that ask for them.
void tst_WidgetAddressing::specialLastElements()
{
    PathScene scene;
    auto *edit = new QLineEdit(&scene.window);
    edit->show();
    scene.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&scene.window));
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);

    ResolveVariant special;
    special.activePopupElement = special.focusWidgetElement = true;
    const auto resolve = [](const char *path, const ResolveVariant &variant) {
        return WidgetAddressing::resolveWidget("Widget:dialog", path, variant, ActiveWidgets());
    };
    QCOMPARE(resolve("no/such/FocusWidget", special).widget, edit);
    QCOMPARE(resolve("FocusWidget", ResolveVariant()).kind, WidgetNotFoundError);
    QCOMPARE(resolve("ActivePopupWidget", special).kind, WidgetNotFoundError); // none open
}

void tst_WidgetAddressing::listingSeesWindowsBelowHiddenWidgets()
{
    // A dialog shown below a hidden widget is no part of the window's listing, but a lookup
    // in the window meets its field, which makes the window's own one ambiguous by name.
    QWidget window, *hidden = new QWidget(&window);
    window.setObjectName("main");
    QDialog dialog(hidden);
    for (QWidget *parent : QWidgetList{&window, &dialog})
        (new QLineEdit(parent))->setObjectName("edit");
    hidden->hide();
    window.show();
    dialog.show();
    QTRY_VERIFY(dialog.isVisible() && window.isVisible());
    QCOMPARE(WidgetCatalog::widgets(&window, "Widget:main").at(1).address, QString("main/edit"));
}

TC_TEST_MAIN(tst_WidgetAddressing)
#include "tst_widgetaddressing.moc"
