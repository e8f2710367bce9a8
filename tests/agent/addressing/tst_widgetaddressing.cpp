#include "addressing/widgetaddressing.h"
#include "testmain.h"

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextStream>
#include <QToolButton>

using namespace WidgetAddressing;

namespace {

// A push button subclass: naming must use the most derived class, yet still count it
// as a push button.
class CustomButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};

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

// Window "dialog" with same-named buttons in two containers, unnamed widgets, a hidden
// branch and a hidden/visible pair sharing one name.
void buildPathScene(QWidget &window, QHash<QString, QWidget *> &w)
{
    window.setObjectName(QStringLiteral("dialog"));
    window.setWindowTitle(QStringLiteral("Dialog"));
    w[QStringLiteral("window")] = &window;
    QWidget *frame = w[QStringLiteral("frame")] = named(new QWidget(&window), "frame");
    w[QStringLiteral("frameOk")] = named(new QPushButton(frame), "ok");
    w[QStringLiteral("frameLabel")] = new QLabel(frame);
    QWidget *left = named(new QWidget(&window), "left");
    QWidget *box = w[QStringLiteral("box")] = new QFrame(left);
    w[QStringLiteral("save")] = new QPushButton(QStringLiteral("&Save"), box);
    QWidget *right = named(new QWidget(&window), "right");
    w[QStringLiteral("rightOk")] = named(new QPushButton(right), "ok");
    QWidget *hiddenPanel = named(new QWidget(&window), "hiddenPanel");
    hiddenPanel->setVisible(false);
    named(new QLabel(hiddenPanel), "secret");
    named(new QLabel(&window), "twin")->setVisible(false);
    w[QStringLiteral("twinVisible")] = named(new QLabel(&window), "twin");
    QWidget *labels = named(new QWidget(&window), "labels");
    w[QStringLiteral("label1")] = new QLabel(labels);
    new QLabel(labels);
    named(new QLabel(labels), "unnamed"); // literally named so: never an unnamed target
    w[QStringLiteral("cancel")] = new QPushButton(QStringLiteral("Cancel"), &window);
    window.show();
}

} // namespace

class TestWidgetAddressing : public QObject
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
    void isA();
    void suffixCandidates_data();
    void suffixCandidates();
    void candidateOrder();
    void resolveWidget_data();
    void resolveWidget();
    void windowFailureStopsResolution();
    void specialLastElements();
    void widgetPath_data();
    void widgetPath();
    void widgetTree();
    void lookupErrorName();
};

void TestWidgetAddressing::findWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("withPopup");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected"); // the window stored, for a count of 1

    QTest::newRow("open popup") << "Widget:ActivePopupWidget" << true << 1 << "popup";
    QTest::newRow("popup with text after a second colon")
        << "Widget:ActivePopupWidget:Editor" << true << 1 << "popup";
    QTest::newRow("no popup open") << "Widget:ActivePopupWidget" << false << 0 << "";
    QTest::newRow("active modal, no title prefix")
        << "Widget:ActiveModalWidget" << false << 1 << "modal";
    QTest::newRow("active modal, matching prefix")
        << "Widget:ActiveModalWidget:Save" << false << 1 << "modal";
    QTest::newRow("active modal, prefix holding a colon")
        << "Widget:ActiveModalWidget:Save: rep" << false << 1 << "modal";
    QTest::newRow("active modal, other prefix")
        << "Widget:ActiveModalWidget:Open" << false << 0 << "";
    QTest::newRow("object name is compared whole") << "Widget:main" << false << 1 << "editor";
    QTest::newRow("Widget: alone is the empty object name")
        << "Widget:" << false << 1 << "untitled";
    QTest::newRow("hidden window by object name") << "Widget:hiddenOne" << false << 0 << "";
    QTest::newRow("title prefix, ambiguous") << "Editor" << false << 2 << "";
    QTest::newRow("title prefix, unique") << "Editor - " << false << 1 << "editor2";
    QTest::newRow("title is case-sensitive") << "editor" << false << 0 << "";
    QTest::newRow("star is an ordinary character") << "Edit*" << false << 0 << "";
    QTest::newRow("hidden window by title") << "Hidden" << false << 0 << "";
    QTest::newRow("empty name skips the untitled window") << "" << true << 3 << "";
    QTest::newRow("null name skips the untitled window") << QString() << false << 3 << "";
    QTest::newRow("modal dialog by title") << "Save" << false << 1 << "modal";
}

void TestWidgetAddressing::findWindow()
{
    QFETCH(QString, name);
    QFETCH(bool, withPopup);
    QFETCH(int, count);
    QFETCH(QString, expected);

    QWidget editor, editor2, untitled, hidden;
    editor.setObjectName(QStringLiteral("main"));
    editor.setWindowTitle(QStringLiteral("Editor"));
    editor2.setObjectName(QStringLiteral("mainWindow"));
    editor2.setWindowTitle(QStringLiteral("Editor - 2"));
    hidden.setObjectName(QStringLiteral("hiddenOne"));
    hidden.setWindowTitle(QStringLiteral("Hidden"));
    QDialog modal;
    modal.setObjectName(QStringLiteral("saveDialog"));
    modal.setWindowTitle(QStringLiteral("Save: report"));
    modal.setWindowModality(Qt::ApplicationModal);
    QMenu popup;
    popup.setObjectName(QStringLiteral("contextMenu"));
    popup.addAction(QStringLiteral("Copy"));
    editor.show();
    editor2.show();
    untitled.show();
    modal.show();
    if (withPopup) {
        popup.popup(QPoint(10, 10));
        QTRY_COMPARE(QApplication::activePopupWidget(), &popup);
    }
    const QHash<QString, QWidget *> windows{{"editor", &editor},
                                            {"editor2", &editor2},
                                            {"untitled", &untitled},
                                            {"modal", &modal},
                                            {"popup", &popup}};

    QWidget *window = nullptr;
    QCOMPARE(WidgetAddressing::findWindow(window, name), count);
    if (count == 1)
        QCOMPARE(window, windows.value(expected));

    const LookupResult result = resolveWindow(name, WindowCheck::None, ActiveWidgets());
    QCOMPARE(result.count, count);
    QCOMPARE(int(result.kind), count == 0 ? 1 : count > 1 ? 2 : 0);
}

void TestWidgetAddressing::checkWindow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("anyWindow");
    QTest::addColumn<bool>("popupOpen");
    QTest::addColumn<bool>("modalOpen");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("kind");

    const int none = int(WindowCheck::None), strict = int(WindowCheck::Strict),
              lenient = int(WindowCheck::Lenient);
    QTest::newRow("no check passes any window") << none << false << true << true << "other" << 0;
    QTest::newRow("strict, popup passes") << strict << false << true << false << "popup" << 0;
    QTest::newRow("strict, active window behind popup fails")
        << strict << false << true << false << "active" << 3;
    QTest::newRow("strict, popup hides the modal widget")
        << strict << false << true << true << "modal" << 3;
    QTest::newRow("strict ignores the mouse exception")
        << strict << true << true << false << "other" << 3;
    QTest::newRow("lenient, active window behind popup passes")
        << lenient << false << true << false << "active" << 0;
    QTest::newRow("lenient, other window behind popup fails")
        << lenient << false << true << false << "other" << 3;
    QTest::newRow("lenient, mouse passes any window behind popup")
        << lenient << true << true << false << "other" << 0;
    QTest::newRow("strict, modal passes") << strict << false << false << true << "modal" << 0;
    QTest::newRow("strict, other window behind modal fails")
        << strict << false << false << true << "other" << 4;
    QTest::newRow("lenient, active window behind modal fails")
        << lenient << false << false << true << "active" << 4;
    QTest::newRow("lenient, mouse exception is for popups only")
        << lenient << true << false << true << "other" << 4;
    QTest::newRow("strict, nothing open") << strict << false << false << false << "other" << 0;
}

void TestWidgetAddressing::checkWindow()
{
    QFETCH(int, mode);
    QFETCH(bool, anyWindow);
    QFETCH(bool, popupOpen);
    QFETCH(bool, modalOpen);
    QFETCH(QString, subject);
    QFETCH(int, kind);

    QWidget popup, modal, active, other;
    const QHash<QString, QWidget *> windows{
        {"popup", &popup}, {"modal", &modal}, {"active", &active}, {"other", &other}};
    ActiveWidgets widgets;
    widgets.popup = popupOpen ? &popup : nullptr;
    widgets.modal = modalOpen ? &modal : nullptr;
    widgets.activeWindow = &active;
    QCOMPARE(int(WidgetAddressing::checkWindow(windows.value(subject), WindowCheck(mode), widgets,
                                               anyWindow)),
             kind);
}

void TestWidgetAddressing::syntheticName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");

    QTest::newRow("mnemonic and punctuation") << "&Open File..."
                                              << "OpenFile...";
    QTest::newRow("upper case word") << "OK"
                                     << "Ok";
    QTest::newRow("blanks around and between") << "  save \t AS\n"
                                               << "SaveAs";
    QTest::newRow("doubled ampersand vanishes") << "&Save && Exit"
                                                << "SaveExit";
    QTest::newRow("digits pass through") << "page 2of3"
                                         << "Page2of3";
    QTest::newRow("Latin-1 letters") << QString::fromUtf8("\xc3\x89T\xc3\x89 chaud")
                                     << QString::fromUtf8("\xc3\x89t\xc3\xa9"
                                                          "Chaud");
    QTest::newRow("only ampersands and blanks") << " & && "
                                                << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestWidgetAddressing::syntheticName()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(WidgetAddressing::syntheticName(text), name);
}

void TestWidgetAddressing::getName_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");

    QTest::newRow("object name wins over a named action") << "namedTool"
                                                          << "tool";
    QTest::newRow("tool button by its only action") << "actionTool"
                                                    << "openAct_action_button";
    QTest::newRow("tool button with two actions") << "twoActionTool"
                                                  << "unnamed";
    QTest::newRow("tool button with an unnamed action") << "unnamedActionTool"
                                                        << "unnamed";
    QTest::newRow("tool button falls through to the input dialog rule") << "inputTool"
                                                                        << "QToolButton__widget__";
    QTest::newRow("object name wins over button text") << "namedPush"
                                                       << "okButton";
    QTest::newRow("push button by its text") << "textPush"
                                             << "SaveExit_dialog_button";
    QTest::newRow("cleared object name counts as none") << "clearedPush"
                                                        << "Ok_dialog_button";
    QTest::newRow("push button subclass by its text") << "customPush"
                                                      << "Cancel_dialog_button";
    QTest::newRow("icon-only push button") << "iconPush"
                                           << "unnamed";
    QTest::newRow("icon-only push button in input dialog") << "inputIconPush"
                                                           << "QPushButton__widget__";
    QTest::newRow("input dialog child uses the most derived class") << "inputCustomPush"
                                                                    << "CustomButton__widget__";
    QTest::newRow("line edit in input dialog") << "inputEdit"
                                               << "QLineEdit__widget__";
    QTest::newRow("line edit one level deeper") << "deepEdit"
                                                << "unnamed";
}

void TestWidgetAddressing::getName()
{
    QFETCH(QString, key);
    QFETCH(QString, name);

    QWidget root;
    QInputDialog input;
    QHash<QString, QWidget *> w;
    w["namedTool"] = named(toolButton(&root, {"openAct"}), "tool");
    w["actionTool"] = toolButton(&root, {"openAct"});
    w["twoActionTool"] = toolButton(&root, {"openAct", "closeAct"});
    w["unnamedActionTool"] = toolButton(&root, {QString()});
    w["inputTool"] = toolButton(&input, {"openAct", "closeAct"});
    w["namedPush"] = named(new QPushButton(QStringLiteral("OK"), &root), "okButton");
    w["textPush"] = new QPushButton(QStringLiteral("&Save && Exit"), &root);
    w["clearedPush"] = named(named(new QPushButton(QStringLiteral("OK"), &root), "x"), "");
    w["customPush"] = new CustomButton(QStringLiteral("&Cancel"), &root);
    w["iconPush"] = new QPushButton(&root);
    w["inputIconPush"] = new QPushButton(&input);
    w["inputCustomPush"] = new CustomButton(&input);
    w["inputEdit"] = new QLineEdit(&input);
    w["deepEdit"] = new QLineEdit(new QFrame(&input));

    QVERIFY(w.contains(key));
    QCOMPARE(WidgetAddressing::getName(w.value(key)), name);
}

void TestWidgetAddressing::isA()
{
    CustomButton custom;
    QPushButton push;
    QVERIFY(WidgetAddressing::isA(&push, "QPushButton"));
    QVERIFY(!WidgetAddressing::isA(&push, "QAbstractButton"));
    QVERIFY(push.inherits("QAbstractButton"));
    QVERIFY(!WidgetAddressing::isA(&custom, "QPushButton"));
}

void TestWidgetAddressing::suffixCandidates_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("cleared");

    for (const char *rule : {"action", "dialog", "input"}) {
        QTest::addRow("%s name, object name never set", rule) << rule << false;
        QTest::addRow("%s name, object name set and cleared", rule) << rule << true;
    }
}

// Names made up from actions, texts and classes are found only for widgets that never had
// an object name, although getName gives the same name either way.
void TestWidgetAddressing::suffixCandidates()
{
    QFETCH(QString, rule);
    QFETCH(bool, cleared);

    QWidget root;
    QInputDialog input(&root);
    QWidget *target = rule == "action"   ? toolButton(&root, {"openAct"})
                      : rule == "dialog" ? new QPushButton(QStringLiteral("&Apply"), &root)
                                         : static_cast<QWidget *>(new QLineEdit(&input));
    if (cleared)
        named(named(target, "old"), "");
    const QString name = WidgetAddressing::getName(target);
    QVERIFY(name.endsWith(QLatin1String("_button")) || name.endsWith(QLatin1String("__widget__")));

    QList<QWidget *> list;
    widgetList(list, &root, name);
    QCOMPARE(list.contains(target), !cleared);
}

void TestWidgetAddressing::candidateOrder()
{
    QWidget root;
    root.setObjectName(QStringLiteral("Ok_dialog_button"));
    auto *button = new QPushButton(QStringLiteral("OK"), &root);
    auto *label = named(new QLabel(new QWidget(&root)), "Ok_dialog_button");

    QList<QWidget *> list;
    widgetList(list, &root, QStringLiteral("Ok_dialog_button"));
    QCOMPARE(list, (QList<QWidget *>{label, button, &root}));
}

void TestWidgetAddressing::resolveWidget_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("target");

    QTest::newRow("made-up name alone, at any depth")
        << "Save_dialog_button" << false << 0 << 1 << "save";
    QTest::newRow("parent and grandparent must match")
        << "dialog/frame/ok" << false << 0 << 1 << "frameOk";
    QTest::newRow("strict parent mismatch") << "left/Save_dialog_button" << false << 5 << 0 << "";
    QTest::newRow("unnamed middle level")
        << "left/unnamed/Save_dialog_button" << false << 0 << 1 << "save";
    QTest::newRow("gap spanning one level")
        << "left//Save_dialog_button" << false << 0 << 1 << "save";
    QTest::newRow("gap spanning no level") << "frame//ok" << false << 0 << 1 << "frameOk";
    QTest::newRow("same name, ambiguous") << "ok" << false << 7 << 2 << "";
    QTest::newRow("same name told apart by parent") << "right/ok" << false << 0 << 1 << "rightOk";
    QTest::newRow("above the window") << "owner/dialog/frame/ok" << false << 5 << 0 << "";
    QTest::newRow("case-sensitive names") << "Frame/ok" << false << 5 << 0 << "";
    QTest::newRow("star is no wildcard") << "o*" << false << 5 << 0 << "";
    QTest::newRow("only match hidden") << "secret" << false << 6 << 0 << "";
    QTest::newRow("hidden and visible twins") << "twin" << false << 0 << 1 << "twinVisible";
    QTest::newRow("the window by its own name") << "dialog" << false << 0 << 1 << "window";
    QTest::newRow("unnamed siblings") << "labels/unnamed" << false << 7 << 2 << "";
    QTest::newRow("unnamed anywhere") << "unnamed" << false << 7 << 4 << "";
    QTest::newRow("trailing slash") << "frame/" << false << 0 << 1 << "frameLabel";
    QTest::newRow("empty path") << "" << false << 7 << 6 << "";
    QTest::newRow("null path") << QString() << false << 7 << 6 << "";
    QTest::newRow("plain, object name") << "right/ok" << true << 0 << 1 << "rightOk";
    QTest::newRow("plain, the window") << "dialog" << true << 0 << 1 << "window";
    QTest::newRow("plain, made-up name") << "Cancel_dialog_button" << true << 5 << 0 << "";
    QTest::newRow("made-up name") << "Cancel_dialog_button" << false << 0 << 1 << "cancel";
}

void TestWidgetAddressing::resolveWidget()
{
    QFETCH(QString, path);
    QFETCH(bool, plain);
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(QString, target);

    QWidget owner;
    owner.setObjectName(QStringLiteral("owner"));
    QDialog window(&owner); // a window with a parent: paths still stop at the window
    QHash<QString, QWidget *> w;
    buildPathScene(window, w);

    ResolveVariant variant;
    variant.plainCandidates = plain;
    const LookupResult result =
        WidgetAddressing::resolveWidget("Widget:dialog", path, variant, ActiveWidgets());
    QCOMPARE(int(result.kind), kind);
    QCOMPARE(result.count, count);
    QCOMPARE(result.window, &window);
    QCOMPARE(result.widget, w.value(target));
}

void TestWidgetAddressing::windowFailureStopsResolution()
{
    QWidget window, other, popup;
    QHash<QString, QWidget *> w;
    buildPathScene(window, w);

    ResolveVariant variant;
    variant.check = WindowCheck::Lenient;
    ActiveWidgets active;
    active.popup = &popup;
    active.activeWindow = &other;
    LookupResult result = WidgetAddressing::resolveWidget("Widget:dialog", "ok", variant, active);
    QCOMPARE(result.kind, WindowNotActivePopupError);
    QCOMPARE(result.widget, nullptr);

    variant.popupPassesAnyWindow = true;
    result = WidgetAddressing::resolveWidget("Widget:dialog", "right/ok", variant, active);
    QCOMPARE(result.kind, NoError);
}

void TestWidgetAddressing::specialLastElements()
{
    QWidget window;
    QHash<QString, QWidget *> w;
    buildPathScene(window, w);
    auto *edit = new QLineEdit(&window);
    edit->show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QMenu popup;
    popup.addAction(QStringLiteral("Copy"));
    popup.popup(QPoint(10, 10));
    QTRY_COMPARE(QApplication::activePopupWidget(), &popup);

    ResolveVariant plain;
    ResolveVariant special;
    special.activePopupElement = special.focusWidgetElement = true;
    const auto resolve = [](const char *path, const ResolveVariant &variant) {
        return WidgetAddressing::resolveWidget("Widget:dialog", path, variant,
                                               ActiveWidgets::current());
    };
    QCOMPARE(resolve("no/such/ActivePopupWidget", special).widget, &popup);
    QCOMPARE(resolve("no/such/FocusWidget", special).widget, edit);
    QCOMPARE(resolve("ActivePopupWidget", plain).kind, WidgetNotFoundError);

    popup.close();
    QTRY_COMPARE(QApplication::activePopupWidget(), nullptr);
    QCOMPARE(resolve("ActivePopupWidget", special).kind, WidgetNotFoundError);
}

void TestWidgetAddressing::widgetPath_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");

    QTest::newRow("the window alone") << "window"
                                      << "dialog";
    QTest::newRow("named levels") << "frameOk"
                                  << "dialog/frame/ok";
    QTest::newRow("unnamed and made-up levels") << "save"
                                                << "dialog/left/unnamed/Save_dialog_button";
}

void TestWidgetAddressing::widgetPath()
{
    QFETCH(QString, key);
    QFETCH(QString, path);

    QWidget window;
    QHash<QString, QWidget *> w;
    buildPathScene(window, w);
    QCOMPARE(WidgetAddressing::widgetPath(w.value(key)), path);
    const LookupResult result =
        WidgetAddressing::resolveWidget("Dialog", path, ResolveVariant(), ActiveWidgets());
    QCOMPARE(result.widget, w.value(key));
}

void TestWidgetAddressing::widgetTree()
{
    QWidget window;
    window.setObjectName(QStringLiteral("win"));
    auto *child = named(new QLabel(&window), "child");
    new QObject(&window); // not a widget: not listed
    new QWidget(child);
    child->children().last()->setProperty("visible", false);
    new QFrame(&window);
    window.show();

    QString text;
    QTextStream out(&text);
    WidgetAddressing::widgetTree(&window, 0, out);
    out.flush();
    QCOMPARE(text, QStringLiteral("\f0 V QWidget : \"win\"\f1 V QLabel : \"child\""
                                  "\f2 N QWidget : \"\"\f1 V QFrame : \"\""));
}

void TestWidgetAddressing::lookupErrorName()
{
    QCOMPARE(::lookupErrorName(WindowNotActiveModalError),
             QStringLiteral("WindowNotActiveModalError"));
    QCOMPARE(::lookupErrorName(8), QString());
}

TC_TEST_MAIN(TestWidgetAddressing)
#include "tst_widgetaddressing.moc"
