#include "listtreetestsupport.h"
#include "testmain.h"

#include "proxies/framework/stinputcontrol.h"

#include <QClipboard>
#include <QIntValidator>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

// The same list behind three kinds of view: "widget" (QListWidget), "standard" (QListView
// over a QStandardItemModel) and "custom" (QListView over a hand-written model).
static const QStringList Texts{"alpha", "beta", "gamma", "beta", "secret", "omega"};
static const int HiddenRow = 4;
static const Qt::ItemFlags AllFlags =
    Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable;

static QListView *newList(const QString &kind, const QStringList &texts = Texts)
{
    QListView *view;
    if (kind == QLatin1String("widget")) {
        auto *list = new QListWidget;
        list->addItems(texts);
        view = list;
    } else if (kind == QLatin1String("standard")) {
        view = new QListView;
        auto *model = new QStandardItemModel(view);
        for (const QString &text : texts)
            model->appendRow(new QStandardItem(text));
        view->setModel(model);
    } else {
        view = new QListView;
        auto *model = new TinyModel(1);
        model->setParent(view);
        for (const QString &text : texts)
            model->add(nullptr, {text});
        view->setModel(model);
    }
    return view;
}

static void setFlags(QListView *view, int row, Qt::ItemFlags flags)
{
    if (auto *list = qobject_cast<QListWidget *>(view))
        list->item(row)->setFlags(flags);
    else if (auto *model = qobject_cast<QStandardItemModel *>(view->model()))
        model->item(row)->setFlags(flags);
    else
        static_cast<TinyModel *>(view->model())->nodeOf(view->model()->index(row, 0))->flags =
            flags;
}

// A list of the given kind, hosted and shown, every row checkable and editable, the row
// "secret" hidden and the given row current (none for -1).
struct ShownList
{
    explicit ShownList(const QString &kind, const QStringList &texts = Texts)
        : host(newList(kind, texts)), view(static_cast<QListView *>(host.widget))
    {
        for (int row = 0; row < texts.size(); ++row)
            setFlags(view, row, AllFlags);
        if (texts == Texts)
            view->setRowHidden(HiddenRow, true);
    }
    bool show(int current)
    {
        if (!host.show())
            return false;
        view->setCurrentIndex(current < 0 ? QModelIndex() : view->model()->index(current, 0));
        recorder.watch(view);
        return true;
    }
    QModelIndex index(int row) const { return view->model()->index(row, 0); }
    int currentRow() const { return view->currentIndex().row(); }

    Hosted host;
    QListView *view;
    EventRecorder recorder{{QEvent::KeyPress}};
};

static const char *const Kinds[] = {"widget", "standard", "custom"};

static QString className(const QString &kind)
{
    return kind == QLatin1String("widget") ? "QListWidget" : "QListView";
}

class TestListViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void activate_data();
    void activate();
    void check_data();
    void check();
    void edit_data();
    void edit();
    void mouse_data();
    void mouse();
    void properties_data();
    void properties();
};

void TestListViewProxy::activate_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("current");
    QTest::addColumn<QVariant>("item");
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("endRow");

    const QString down30 = QString("<Down>").repeated(5 * Texts.size());
    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << kind;
        };
        const QString typeError =
            QStringLiteral("Type error: object \"widget\" of class \"%1\" accepts ")
                .arg(className(kind));
        row("from above, Down until the row, then the terminating key")
            << 0 << QVariant("gamma") << QVariant("x") << ""
            << "<Up><Down><Down>x" << 2;
        row("from below, over the hidden row, to the first of two equal texts")
            << 5 << QVariant("beta") << QVariant() << ""
            << "<Up><Up><Up>" << 1;
        row("the row above the current one: one Up, no terminating key")
            << 2 << QVariant("beta") << QVariant("x") << ""
            << "<Up>" << 1;
        row("no current item: Up makes the first current")
            << -1 << QVariant("alpha") << QVariant() << ""
            << "<Up>" << 0;
        row("by number, an empty terminating key sends nothing")
            << 0 << QVariant(3) << QVariant("") << ""
            << "<Up><Down><Down><Down>" << 3;
        row("hidden row by number: bounded presses, no error")
            << 0 << QVariant(HiddenRow) << QVariant() << ""
            << "<Up>" + down30 << 5;
        row("hidden row by text is unknown")
            << 0 << QVariant("secret") << QVariant() << "activate, QListView unknown item secret"
            << "" << 0;
        row("text matches case-sensitively")
            << 0 << QVariant("Alpha") << QVariant() << "activate, QListView unknown item Alpha"
            << "" << 0;
        row("number past the last row")
            << 0 << QVariant(6) << QVariant() << "activate, QListView invalid index 6"
            << "" << 0;
        row("negative number") << 0 << QVariant(-1) << QVariant()
                               << "activate, QListView invalid index -1"
                               << "" << 0;
        row("two-character key refused before any input")
            << 0 << QVariant("gamma") << QVariant("ab")
            << "terminating key is more than one character"
            << "" << 0;
        row("a bool is no item") << 0 << QVariant(true) << QVariant() << typeError + "String, int."
                                 << "" << 0;
        row("a number is no terminating key")
            << 0 << QVariant("gamma") << QVariant(1) << typeError + "string."
            << "" << 0;
    }
}

void TestListViewProxy::activate()
{
    QFETCH(QString, kind);
    QFETCH(int, current);
    QFETCH(QVariant, item);
    QFETCH(QVariant, key);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(int, endRow);

    ShownList list(kind);
    QVERIFY(list.show(current));
    QCOMPARE(::activate(list.view, item, key), message);
    QTRY_COMPARE(pressedKeys(list.recorder), keys);
    QCOMPARE(list.currentRow(), message.isEmpty() ? endRow : current);
}

void TestListViewProxy::check_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("state");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("endState");

    const QVariant unchecked(int(Qt::Unchecked)), partial(int(Qt::PartiallyChecked)),
        checked(int(Qt::Checked));
    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << kind;
        };
        row("check an unchecked item: back to it, then Space")
            << unchecked << true << QVariant(true) << ""
            << "<Up><Down><Space>" << 2;
        row("check a checked item: no input") << checked << true << QVariant(true) << ""
                                              << "" << 2;
        row("uncheck a checked item") << checked << true << QVariant(false) << ""
                                      << "<Up><Down><Space>" << 0;
        row("uncheck an unchecked item: no input") << unchecked << true << QVariant(false) << ""
                                                   << "" << 0;
        row("check a partially checked item: one Space") << partial << true << QVariant(true) << ""
                                                         << "<Up><Down><Space>" << 2;
        // Lists press Space once for any state but the wanted one, which checks it here.
        row("uncheck a partially checked item: one Space, which checks it")
            << partial << true << QVariant(false) << ""
            << "<Up><Down><Space>" << 2;
        row("item that is not checkable")
            << unchecked << false << QVariant(true) << "Current item is not checkable"
            << "" << 0;
        row("a number is neither bool nor text")
            << unchecked << true << QVariant(1)
            << QStringLiteral("Type error: object \"widget\" of class \"%1\" accepts bool string.")
                   .arg(className(kind))
            << "" << 0;
    }
}

void TestListViewProxy::check()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, state);
    QFETCH(bool, checkable);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(int, endState);

    ShownList list(kind);
    if (!checkable)
        setFlags(list.view, 1, AllFlags & ~Qt::ItemIsUserCheckable);
    list.view->model()->setData(list.index(1), state, Qt::CheckStateRole);
    QVERIFY(list.show(1));
    QCOMPARE(request("enter", list.view, value), message);
    QTRY_COMPARE(pressedKeys(list.recorder), keys);
    QCOMPARE(list.index(1).data(Qt::CheckStateRole).toInt(), endState);
    QCOMPARE(viewProperty(list.view, "itemIsChecked", "beta"), QVariant(endState == Qt::Checked));
}

// The line-edit editor of a delegate that accepts only numbers.
class NumbersOnlyDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            edit->setValidator(new QIntValidator(0, 999, edit));
        return editor;
    }
};

void TestListViewProxy::edit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QVariant>("endData");

    // The editor passes Return on to the view, which sees it too.
    const QString paste = "<Up><Down><F2><End><Shift+Home><Control+V>";
    const QString commit = "<Return><Return>";
    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << kind;
        };
        row("text pasted into the editor, committed with Return")
            << "" << QVariant("delta") << "" << paste + commit << QVariant("delta");
        row("read-only item refused before any input")
            << "read-only" << QVariant("delta") << "Item is not editable"
            << "" << QVariant("beta");
        row("no current item") << "no current" << QVariant("delta") << "No item is current"
                               << "" << QVariant("beta");
    }
    QTest::newRow("validator takes digits")
        << "standard"
        << "numbers only" << QVariant("42") << "" << paste + commit << QVariant("42");
    QTest::newRow("validator refuses letters: editor stays open, no Return")
        << "widget"
        << "numbers only" << QVariant("abc") << "enter, QLineEdit validate error\n"
        << paste << QVariant("7");
    QTest::newRow("spin box editor of a number takes digits")
        << "standard"
        << "number" << QVariant("42") << "" << paste + commit << QVariant(42);
    QTest::newRow("spin box editor refuses letters")
        << "standard"
        << "number" << QVariant("abc") << "enter, QAbstractSpinBox validate error\n"
        << paste << QVariant(7);
}

void TestListViewProxy::edit()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QVariant, endData);

    ShownList list(kind);
    if (setup == QLatin1String("read-only"))
        setFlags(list.view, 1, AllFlags & ~Qt::ItemIsEditable);
    // The editor's validator reverts a refused paste only over a text it accepts.
    if (setup == QLatin1String("numbers only")) {
        list.view->setItemDelegate(new NumbersOnlyDelegate(list.view));
        list.view->model()->setData(list.index(1), "7", Qt::EditRole);
    }
    if (setup == QLatin1String("number"))
        list.view->model()->setData(list.index(1), 7, Qt::EditRole);
    EditorWatcher editors(list.view, &list.recorder);
    QVERIFY(list.show(setup == QLatin1String("no current") ? -1 : 1));
    QApplication::clipboard()->clear();

    QCOMPARE(request("enter", list.view, value), message);
    QTRY_COMPARE(pressedKeys(list.recorder), keys);
    QTRY_COMPARE(list.index(1).data(Qt::EditRole), endData);
    // A refused text leaves the editor open with what was pasted.
    QTRY_COMPARE(list.view->indexWidget(list.index(1)) != nullptr,
                 message.contains(QLatin1String("validate")));
}

void TestListViewProxy::mouse_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QVariant>("command");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("events");

    // Events are recorded at the viewport; (x,y) stands for the centre of the target.
    QTest::newRow("click aims at the item's centre, whatever x and y say")
        << 1 << QVariant("MouseClick:LeftButton:0.1:0.9:") << ""
        << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (x,y)",
                       "MouseButtonRelease LeftButton buttons=NoButton (x,y)"};
    QTest::newRow("right press with Shift")
        << 1 << QVariant("MousePress:RightButton:::ShiftModifier") << ""
        << QStringList{"MouseButtonPress RightButton buttons=RightButton (x,y) ShiftModifier"};
    QTest::newRow("no current item: the viewport's centre")
        << -1 << QVariant("MouseDoubleClick:LeftButton:::") << ""
        << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (x,y)",
                       "MouseButtonRelease LeftButton buttons=NoButton (x,y)",
                       "MouseButtonDblClick LeftButton buttons=LeftButton (x,y)"};
    QTest::newRow("item scrolled out of view") << 19 << QVariant("MouseClick:LeftButton:::")
                                               << "Current item not visible" << QStringList();
    QTest::newRow("four fields") << 1 << QVariant("MouseClick:LeftButton::")
                                 << "Invalid string value" << QStringList();
    QTest::newRow("middle button") << 1 << QVariant("MouseClick:MidButton:::")
                                   << "Mouse button not supported" << QStringList();
    QTest::newRow("meta modifier") << 1 << QVariant("MouseClick:LeftButton:::MetaModifier")
                                   << "Mouse modifier not supported" << QStringList();
    QTest::newRow("a move is no item command")
        << 1 << QVariant("MouseMove:LeftButton:::") << "Invalid mouse command" << QStringList();
}

void TestListViewProxy::mouse()
{
    QFETCH(int, current);
    QFETCH(QVariant, command);
    QFETCH(QString, message);
    QFETCH(QStringList, events);

    QStringList texts;
    for (int row = 0; row < 20; ++row)
        texts << QString::number(row);
    ShownList list("widget", texts);
    list.view->setFixedSize(100, 100);
    QVERIFY(list.show(current));
    list.view->scrollToTop();
    EventRecorder recorder(
        {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick});
    recorder.watch(list.view->viewport());

    const QRect target =
        current < 0 ? list.view->viewport()->rect() : list.view->visualRect(list.index(current));
    events.replaceInStrings(
        "(x,y)", QStringLiteral("(%1,%2)").arg(target.center().x()).arg(target.center().y()));
    QCOMPARE(request("mouse", list.view, command), message);
    QTRY_COMPARE(recorder.lines(), events);
    STInputControl::pressedButtons = Qt::NoButton; // the right press stays held
}

void TestListViewProxy::properties_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    for (const char *kind : Kinds) {
        auto row = [kind](const char *tag) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << kind;
        };
        row("rowCount counts hidden rows") << "rowCount" << QVariant() << QVariant(6);
        row("itemList leaves hidden rows out")
            << "itemList" << QVariant()
            << QVariant(QStringList{"alpha", "beta", "gamma", "beta", "omega"});
        row("currentItemRect without a current item is the null rectangle")
            << "currentItemRect" << QVariant() << QVariant(QRect());
        row("disabled item") << "itemIsEnabled" << QVariant("gamma") << QVariant(false);
        row("selectable item") << "itemIsSelectable" << QVariant("alpha") << QVariant(true);
        row("selected item") << "itemIsSelected" << QVariant("omega") << QVariant(true);
        row("checkable item") << "itemIsCheckable" << QVariant("alpha") << QVariant(true);
        row("checked item") << "itemIsChecked" << QVariant("alpha") << QVariant(true);
        row("partially checked is not checked")
            << "itemIsChecked" << QVariant("beta") << QVariant(false);
        row("an item parameter of another type is read as text")
            << "itemIsChecked" << QVariant(7) << QVariant("activate, QListView unknown item 7");
        row("hidden item is unknown") << "itemIsEnabled" << QVariant("secret")
                                      << QVariant("activate, QListView unknown item secret");
        row("empty item") << "itemIsEnabled" << QVariant("") << QVariant("Missing item");
        row("no item") << "itemIsEnabled" << QVariant()
                       << QVariant(
                              QStringLiteral(
                                  "Type error: object \"widget\" of class \"%1\" accepts string.")
                                  .arg(className(kind)));
    }
}

void TestListViewProxy::properties()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    ShownList list(kind);
    list.view->setSelectionMode(QAbstractItemView::MultiSelection);
    setFlags(list.view, 2, AllFlags & ~Qt::ItemIsEnabled);
    list.view->model()->setData(list.index(0), int(Qt::Checked), Qt::CheckStateRole);
    list.view->model()->setData(list.index(1), int(Qt::PartiallyChecked), Qt::CheckStateRole);
    QVERIFY(list.show(-1));
    list.view->selectionModel()->select(list.index(5), QItemSelectionModel::Select);
    QCOMPARE(viewProperty(list.view, name, parameter), expected);
}

TC_TEST_MAIN(TestListViewProxy)
#include "tst_listviewproxy.moc"
