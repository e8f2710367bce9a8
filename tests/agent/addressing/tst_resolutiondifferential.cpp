// The fast window and widget lookup against the straightforward one, on random widget
// trees that change between lookups: both must give the same kind, count and widget for
// every window name, path and caller variant, and the same tree listing. The fast lookup
// runs with the index of object names, made before or after the widgets.

#include "addressing/objectnameindex.h"
#include "addressing/referenceresolution.h"
#include "testmain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QToolButton>

#include <algorithm>
#include <memory>

using namespace WidgetAddressing;

namespace {

// Names chosen to collide: plain names, made-up names of every rule, "unnamed" itself, and
// for the tree's UTF-8 names beyond ASCII and a lone surrogate.
const QStringList objectNames{"a",
                              "b",
                              "ok",
                              "unnamed",
                              "Ok_dialog_button",
                              "open_action_button",
                              "QLabel__widget__",
                              "w0",
                              QStringLiteral("gr\u00fc\u00dfe"),
                              QString(QChar(0xd800)) + "x"};
const QStringList buttonTexts{"&Ok", "OK", "  ok  ", "", "&&", "Save as", "&Open File..."};
const QStringList actionNames{"open", "", "save"};
const QStringList titles{"Editor", "Editor - 2", "Tool", "Ed"};
const QStringList pathElements{"a",
                               "b",
                               "ok",
                               "",
                               "unnamed",
                               "w0",
                               "w1",
                               "w2",
                               "Ok_dialog_button",
                               "SaveAs_dialog_button",
                               "open_action_button",
                               "QLabel__widget__",
                               "QLineEdit__widget__",
                               "ActivePopupWidget",
                               "FocusWidget"};
const QStringList windowNames{
    "Editor",    "Editor - 2", "Tool",    "Ed",       "",
    "Widget:w0", "Widget:w1",  "Widget:", "Widget:a", "Widget:ActiveModalWidget"};

// isAncestorOf() stops at windows; reparenting must not make a cycle through a dialog.
bool encloses(const QWidget *outer, const QWidget *inner)
{
    for (; inner; inner = inner->parentWidget()) {
        if (inner == outer)
            return true;
    }
    return false;
}

enum Mutation { Rename, Reparent, Hide, Delete, Retext, Regrow, Transplant, MutationCount };

class Scene
{
public:
    Scene(quint32 seed, int windowCount) : random(seed)
    {
        for (int i = 0; i < windowCount; ++i) {
            auto *window = new QWidget;
            window->setObjectName(QStringLiteral("w%1").arg(i));
            window->setWindowTitle(pick(titles));
            roots << window;
            grow(window, 40);
            window->show();
        }
    }

    ~Scene() { qDeleteAll(roots); }

    int below(int n) { return int(random.bounded(n)); }
    template <typename T> T pick(const QList<T> &list) { return list.at(below(list.size())); }

    QList<QWidget *> allWidgets() const
    {
        QList<QWidget *> widgets;
        for (QWidget *root : roots) {
            if (root) {
                widgets << root;
                widgets += root->findChildren<QWidget *>();
            }
        }
        return widgets;
    }

    void grow(QWidget *parent, int count)
    {
        QList<QWidget *> parents{parent};
        for (int i = 0; i < count; ++i) {
            QWidget *widget = newWidget(pick(parents));
            if (below(3) == 0)
                parents << widget;
        }
    }

    void mutate(Mutation mutation)
    {
        const QList<QWidget *> widgets = allWidgets();
        QWidget *widget = pick(widgets);
        const bool isRoot = roots.contains(widget);
        switch (mutation) {
        case Rename:
            // Empty and never-set names differ for the made-up names.
            if (below(4) == 0)
                widget->setObjectName(QLatin1String(""));
            else
                widget->setObjectName(pick(objectNames));
            break;
        case Reparent: {
            QWidget *parent = pick(widgets);
            if (isRoot || encloses(widget, parent))
                break;
            const bool visible = !widget->isHidden();
            widget->setParent(parent);
            widget->setVisible(visible);
            break;
        }
        case Hide:
            widget->setVisible(widget->isHidden());
            break;
        case Delete:
            if (!isRoot)
                delete widget;
            break;
        case Retext:
            if (auto *button = qobject_cast<QPushButton *>(widget))
                button->setText(pick(buttonTexts));
            else if (auto *tool = qobject_cast<QToolButton *>(widget))
                addAction(tool);
            else if (!isRoot)
                widget->setWindowTitle(pick(titles));
            break;
        case Regrow:
            grow(widget, 5);
            break;
        case Transplant: {
            // Built and named without a parent, then moved in whole.
            auto *branch = new QWidget;
            if (below(2) == 0)
                branch->setObjectName(pick(objectNames));
            grow(branch, 6);
            branch->setParent(widget);
            branch->show();
            break;
        }
        case MutationCount:
            break;
        }
    }

    QString randomPath()
    {
        QStringList elements;
        const int length = 1 + below(4);
        for (int i = 0; i < length; ++i)
            elements << pick(pathElements);
        return elements.join(QLatin1Char('/'));
    }

    QRandomGenerator random;

private:
    void addAction(QToolButton *button)
    {
        auto *action = new QAction(QStringLiteral("Act"), button);
        const QString name = pick(actionNames);
        if (!name.isEmpty())
            action->setObjectName(name);
        button->addAction(action);
    }

    QWidget *newWidget(QWidget *parent)
    {
        QWidget *widget = nullptr;
        switch (below(7)) {
        case 0:
            widget = new QPushButton(pick(buttonTexts), parent);
            break;
        case 1: {
            auto *button = new QToolButton(parent);
            for (int n = below(3); n > 0; --n)
                addAction(button);
            widget = button;
            break;
        }
        case 2:
            widget = new QLabel(parent);
            break;
        case 3:
            widget = new QLineEdit(parent);
            break;
        case 4:
            // A dialog parented inside the window: a window of its own, yet in the tree.
            widget = below(4) == 0 ? new QInputDialog(parent) : new QWidget(parent);
            break;
        default:
            widget = new QWidget(parent);
            break;
        }
        if (below(2) == 0)
            widget->setObjectName(pick(objectNames));
        if (below(8) == 0)
            widget->hide();
        return widget;
    }

    QList<QPointer<QWidget>> roots;
};

QList<ResolveVariant> callerVariants()
{
    ResolveVariant point;
    point.plainCandidates = true;
    ResolveVariant property;
    property.activePopupElement = true;
    ResolveVariant action;
    action.check = WindowCheck::Lenient;
    action.activePopupElement = true;
    action.focusWidgetElement = true;
    ResolveVariant mouse = action;
    mouse.popupPassesAnyWindow = true;
    return {point, property, action, mouse};
}

// The visible widgets of a list of top-level widgets, in an order that does not depend on
// the list's.
QList<QWidget *> visibleOnes(QList<QWidget *> widgets)
{
    widgets.erase(std::remove_if(widgets.begin(), widgets.end(),
                                 [](const QWidget *widget) { return !widget->isVisible(); }),
                  widgets.end());
    std::sort(widgets.begin(), widgets.end());
    return widgets;
}

QString describe(const LookupResult &result)
{
    return QStringLiteral("kind %1 count %2 widget %3 window %4")
        .arg(result.kind)
        .arg(result.count)
        .arg(quintptr(result.widget), 0, 16)
        .arg(quintptr(result.window), 0, 16);
}

} // namespace

class tst_ResolutionDifferential : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithReference_data();
    void agreesWithReference();
    void renamesWithSignalsBlocked();
    void movesWhileAParentDeletesItsChildren();
};

void tst_ResolutionDifferential::agreesWithReference_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("mutations");
    QTest::addColumn<bool>("indexFirst");

    QTest::newRow("trees that do not change") << 1u << QList<int>{} << true;
    QTest::newRow("renames, empty names and made-up names")
        << 2u << QList<int>{Rename, Retext} << true;
    QTest::newRow("reparenting, also into dialogs")
        << 3u << QList<int>{Reparent, Regrow, Transplant} << true;
    QTest::newRow("hidden widgets and windows") << 4u << QList<int>{Hide} << true;
    QTest::newRow("deletions") << 5u << QList<int>{Delete, Regrow} << true;
    const QList<int> everything{Rename, Reparent, Hide, Delete, Retext, Regrow, Transplant};
    QTest::newRow("everything at once") << 6u << everything << true;
    QTest::newRow("index made after the widgets") << 7u << everything << false;
}

void tst_ResolutionDifferential::agreesWithReference()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, mutations);
    QFETCH(bool, indexFirst);

    std::unique_ptr<ObjectNameIndex> index;
    if (indexFirst)
        index.reset(new ObjectNameIndex);
    Scene scene(seed, 3);
    if (!indexFirst)
        index.reset(new ObjectNameIndex);
    const QList<ResolveVariant> variants = callerVariants();
    QElapsedTimer time;
    time.start();
    // Bounded in time as well as rounds, so a slow machine only checks fewer cases.
    for (int round = 0; round < 300 && time.elapsed() < 2000; ++round) {
        if (!mutations.isEmpty()) {
            for (int n = 1 + scene.below(3); n > 0; --n)
                scene.mutate(Mutation(scene.pick(mutations)));
        }
        const ActiveWidgets active = ActiveWidgets::current();
        QCOMPARE(visibleOnes(shownTopLevels()), visibleOnes(QApplication::topLevelWidgets()));
        for (int query = 0; query < 10; ++query) {
            const QString windowName = scene.pick(windowNames);
            QWidget *fastWindow = nullptr;
            QWidget *referenceWindow = nullptr;
            const int fastCount = findWindow(fastWindow, windowName);
            QCOMPARE(fastCount, Reference::findWindow(referenceWindow, windowName));
            if (fastCount == 1)
                QCOMPARE(fastWindow, referenceWindow);

            if (fastCount == 1) {
                QString referenceTree;
                QTextStream referenceOut(&referenceTree);
                Reference::widgetTree(fastWindow, 0, referenceOut);
                referenceOut.flush();
                QByteArray bytes;
                appendWidgetTree(bytes, fastWindow, 0);
                QCOMPARE(bytes, referenceTree.toUtf8());
            }

            const QString path = scene.randomPath();
            for (const ResolveVariant &variant : variants) {
                const LookupResult fast = resolveWidget(windowName, path, variant, active);
                const LookupResult reference =
                    Reference::resolveWidget(windowName, path, variant, active);
                if (describe(fast) != describe(reference)) {
                    QFAIL(qPrintable(
                        QStringLiteral("seed %1 round %2, window \"%3\" path \"%4\": "
                                       "fast %5, reference %6")
                            .arg(seed)
                            .arg(round)
                            .arg(windowName, path, describe(fast), describe(reference))));
                }
            }
        }
    }
}

// What the index cannot hear of is a rename while the widget's signals are blocked. The
// lookup must still find the widget under its new name and not under its old one.
void tst_ResolutionDifferential::renamesWithSignalsBlocked()
{
    ObjectNameIndex index;
    QWidget window;
    window.setObjectName("window");
    window.setWindowTitle("Quiet");
    auto *box = new QWidget(&window);
    box->setObjectName("box");
    auto *edit = new QLineEdit(box);
    edit->setObjectName("before");
    window.show();

    ResolveVariant variant;
    const auto lookup = [&](const QString &path) {
        return resolveWidget("Quiet", path, variant, ActiveWidgets());
    };
    QCOMPARE(lookup("box/before").widget, edit);

    edit->blockSignals(true);
    edit->setObjectName("after");
    edit->blockSignals(false);
    QCOMPARE(lookup("after").widget, edit);
    QCOMPARE(lookup("box/after").widget, edit);
    QCOMPARE(lookup("before").kind, WidgetNotFoundError);

    // An ancestor renamed the same way still leads to the widget below it.
    box->blockSignals(true);
    box->setObjectName("frame");
    box->blockSignals(false);
    QCOMPARE(lookup("frame/after").widget, edit);
    QCOMPARE(lookup("box/after").kind, WidgetNotFoundError);
}

namespace {

// Moves another widget away when it dies, as some applications' destructors do.
class MovesOnDeath : public QWidget
{
public:
    MovesOnDeath(QWidget *parent, QWidget *moved, QWidget *target)
        : QWidget(parent), moved(moved), target(target)
    {
    }
    ~MovesOnDeath() override
    {
        if (moved && target)
            moved->setParent(target);
    }

private:
    QPointer<QWidget> moved;
    QPointer<QWidget> target;
};

} // namespace

// The index takes in the moved widget's tree while a parent inside it is deleting its
// children, whose list then holds null entries.
void tst_ResolutionDifferential::movesWhileAParentDeletesItsChildren()
{
    ObjectNameIndex index;
    QWidget window;
    window.setWindowTitle("Dying");
    QWidget target;
    target.setWindowTitle("Target");
    auto *group = new QWidget(&window);
    group->setObjectName("group");
    auto *panel = new QWidget(group);
    panel->setObjectName("panel");
    new MovesOnDeath(panel, group, &target);
    auto *edit = new QLineEdit(panel);
    edit->setObjectName("edit");
    auto *kept = new QLineEdit(group);
    kept->setObjectName("kept");
    window.show();
    target.show();

    delete panel;
    QCOMPARE(group->parentWidget(), &target);
    group->show();
    ResolveVariant variant;
    QCOMPARE(resolveWidget("Target", "group/kept", variant, ActiveWidgets()).widget, kept);
    QCOMPARE(resolveWidget("Dying", "kept", variant, ActiveWidgets()).kind, WidgetNotFoundError);
    QCOMPARE(resolveWidget("Target", "edit", variant, ActiveWidgets()).kind, WidgetNotFoundError);
}

TC_TEST_MAIN(tst_ResolutionDifferential)
#include "tst_resolutiondifferential.moc"
