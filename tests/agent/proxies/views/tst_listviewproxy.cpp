#include "listtreetestsupport.h"
#include "testmain.h"

#include "proxies/framework/stinputcontrol.h"
#include "protocol/wiretext.h"

#include <QClipboard>
#include <QIntValidator>
#include <QLineEdit>
#include <QStyledItemDelegate>

// Rows 0 to 5; "secret" is hidden. Every test view holds them, over each kind of model.
static const QVector<NodeSpec> Rows{{-1, {"alpha"}}, {-1, {"beta"}},   {-1, {"gamma"}},
                                    {-1, {"beta"}},  {-1, {"secret"}}, {-1, {"omega"}}};
static const int HiddenRow = 4;

struct ShownList : ShownView
{
    explicit ShownList(const QString &kind, const QVector<NodeSpec> &rows = Rows)
        : ShownView(kind, false, rows), list(static_cast<QListView *>(view))
    {
        list->setRowHidden(HiddenRow, true);
    }
    // A type error for the accepted types after "accepts " in message, else message.
    QString expected(const QString &message) const
    {
        return message.startsWith("accepts ") ? typeError(qPrintable(message.mid(8))) : message;
    }
    QListView *list;
};

class tst_ListViewProxy : public QObject
{
    Q_OBJECT

private slots:
    void activate_data();
    void activate();
    void enter_data();
    void enter();
    void mouse_data();
    void mouse();
    void properties_data();
    void properties();
    void separatorsInTexts();
};

void tst_ListViewProxy::activate_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("current");
    QTest::addColumn<QVariant>("item");
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("endRow");

    const QString down30 = QString("<Down>").repeated(5 * Rows.size());
    for (const char *kind : Kinds) {
        kindRow(kind, "from above, Down until the row, then the terminating key")
            << 0 << QVariant("gamma") << QVariant("x") << ""
            << "<Up><Down><Down>x" << 2;
        kindRow(kind, "from below, over the hidden row, to the first of two equal texts")
            << 5 << QVariant("beta") << QVariant() << ""
            << "<Up><Up><Up>" << 1;
        kindRow(kind, "the row above the current one: one Up, no terminating key")
            << 2 << QVariant("beta") << QVariant("x") << ""
            << "<Up>" << 1;
        kindRow(kind, "by number, an empty terminating key sends nothing")
            << 0 << QVariant(3) << QVariant("") << ""
            << "<Up><Down><Down><Down>" << 3;
        kindRow(kind, "hidden row by number: bounded presses, no error")
            << 0 << QVariant(HiddenRow) << QVariant() << ""
            << "<Up>" + down30 << 5;
        kindRow(kind, "hidden row by text is unknown")
            << 0 << QVariant("secret") << QVariant() << "activate, QListView unknown item secret"
            << "" << 0;
        kindRow(kind, "number past the last row")
            << 0 << QVariant(6) << QVariant() << "activate, QListView invalid index 6"
            << "" << 0;
        kindRow(kind, "two-character key refused before any input")
            << 0 << QVariant("gamma") << QVariant("ab")
            << "terminating key is more than one character"
            << "" << 0;
        kindRow(kind, "a bool is no item")
            << 0 << QVariant(true) << QVariant() << "accepts String, int"
            << "" << 0;
    }
}

void tst_ListViewProxy::activate()
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
    QCOMPARE(::activate(list.view, item, key), list.expected(message));
    QTRY_COMPARE(pressedKeys(list.recorder), keys);
    QCOMPARE(list.view->currentIndex().row(), message.isEmpty() ? endRow : current);
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

void tst_ListViewProxy::enter_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QVariant>("end"); // row 1's check state or text afterwards

    const QVariant unchecked(int(Qt::Unchecked)), checked(int(Qt::Checked));
    // The editor passes Return on to the view, which sees it too.
    const QString back = "<Up><Down>", paste = back + "<F2><End><Shift+Home><Control+V>";
    const QString commit = "<Return><Return>";
    for (const char *kind : Kinds) {
        kindRow(kind, "check an unchecked item: back to it, then Space")
            << "unchecked" << QVariant(true) << "" << back + "<Space>" << checked;
        kindRow(kind, "check a checked item: no input") << "checked" << QVariant(true) << ""
                                                        << "" << checked;
        kindRow(kind, "uncheck a checked item")
            << "checked" << QVariant(false) << "" << back + "<Space>" << unchecked;
        kindRow(kind, "check a partially checked item: one Space")
            << "partial" << QVariant(true) << "" << back + "<Space>" << checked;
        // Lists press Space once for any state but the wanted one, which checks it here.
        kindRow(kind, "uncheck a partially checked item: one Space, which checks it")
            << "partial" << QVariant(false) << "" << back + "<Space>" << checked;
        kindRow(kind, "item that is not checkable")
            << "not checkable" << QVariant(true) << "Current item is not checkable"
            << "" << QVariant();
        kindRow(kind, "text pasted into the editor, committed with Return")
            << "" << QVariant("delta") << "" << paste + commit << QVariant("delta");
        kindRow(kind, "read-only item refused before any input")
            << "read-only" << QVariant("delta") << "Item is not editable"
            << "" << QVariant("beta");
        kindRow(kind, "no current item")
            << "no current" << QVariant("delta") << "No item is current"
            << "" << QVariant("beta");
    }
    QTest::newRow("validator refuses letters: editor stays open, no Return")
        << "widget"
        << "numbers only" << QVariant("abc") << "enter, QLineEdit validate error\n"
        << paste << QVariant("7");
    QTest::newRow("spin box editor refuses letters")
        << "standard"
        << "number" << QVariant("abc") << "enter, QAbstractSpinBox validate error\n"
        << paste << QVariant(7);
}

void tst_ListViewProxy::enter()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    QFETCH(QString, keys);
    QFETCH(QVariant, end);

    ShownList list(kind);
    QAbstractItemModel *model = list.view->model();
    const QStringList states{"unchecked", "partial", "checked"};
    if (states.contains(setup))
        model->setData(list.index(1), states.indexOf(setup), Qt::CheckStateRole);
    if (setup == QLatin1String("not checkable"))
        list.flagSetters[1](ShownView::AllFlags & ~Qt::ItemIsUserCheckable);
    if (setup == QLatin1String("read-only"))
        list.flagSetters[1](ShownView::AllFlags & ~Qt::ItemIsEditable);
    // The editor's validator reverts a refused paste only over a text it accepts.
    if (setup == QLatin1String("numbers only")) {
        list.view->setItemDelegate(new NumbersOnlyDelegate(list.view));
        model->setData(list.index(1), "7", Qt::EditRole);
    }
    if (setup == QLatin1String("number"))
        model->setData(list.index(1), 7, Qt::EditRole);
    EditorWatcher editors(list.view, &list.recorder);
    QVERIFY(list.show(setup == QLatin1String("no current") ? -1 : 1));
    QApplication::clipboard()->clear();

    QCOMPARE(request("enter", list.view, value), message);
    QTRY_COMPARE(pressedKeys(list.recorder), keys);
    const bool check = value.userType() == QMetaType::Bool;
    QTRY_COMPARE(list.index(1).data(check ? Qt::CheckStateRole : Qt::EditRole), end);
    // A refused text leaves the editor open with what was pasted.
    QTRY_COMPARE(list.view->indexWidget(list.index(1)) != nullptr,
                 message.contains(QLatin1String("validate")));
}

void tst_ListViewProxy::mouse_data()
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
    QTest::newRow("no current item: the viewport's centre")
        << -1 << QVariant("MouseDoubleClick:LeftButton:::") << ""
        << QStringList{"MouseButtonPress LeftButton buttons=LeftButton (x,y)",
                       "MouseButtonRelease LeftButton buttons=NoButton (x,y)",
                       "MouseButtonDblClick LeftButton buttons=LeftButton (x,y)"};
    QTest::newRow("item scrolled out of view") << 19 << QVariant("MouseClick:LeftButton:::")
                                               << "Current item not visible" << QStringList();
}

void tst_ListViewProxy::mouse()
{
    QFETCH(int, current);
    QFETCH(QVariant, command);
    QFETCH(QString, message);
    QFETCH(QStringList, events);

    QVector<NodeSpec> rows;
    for (int row = 0; row < 20; ++row)
        rows.append({-1, {QString::number(row)}});
    ShownList list("widget", rows);
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
}

void tst_ListViewProxy::properties_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("parameter");
    QTest::addColumn<QVariant>("expected");

    for (const char *kind : Kinds) {
        kindRow(kind, "rowCount counts hidden rows") << "rowCount" << QVariant() << QVariant(6);
        kindRow(kind, "itemList leaves hidden rows out")
            << "itemList" << QVariant()
            << QVariant(QStringList{"alpha", "beta", "gamma", "beta", "omega"});
        kindRow(kind, "currentItemRect without a current item is the null rectangle")
            << "currentItemRect" << QVariant() << QVariant(QRect());
        kindRow(kind, "disabled item") << "itemIsEnabled" << QVariant("gamma") << QVariant(false);
        kindRow(kind, "selected item") << "itemIsSelected" << QVariant("omega") << QVariant(true);
        kindRow(kind, "partially checked is not checked")
            << "itemIsChecked" << QVariant("beta") << QVariant(false);
        kindRow(kind, "hidden item is unknown")
            << "itemIsEnabled" << QVariant("secret")
            << QVariant("activate, QListView unknown item secret");
        kindRow(kind, "empty item") << "itemIsEnabled" << QVariant("") << QVariant("Missing item");
        kindRow(kind, "no item") << "itemIsEnabled" << QVariant() << QVariant("accepts string");
    }
}

void tst_ListViewProxy::properties()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVariant, parameter);
    QFETCH(QVariant, expected);

    ShownList list(kind);
    list.view->setSelectionMode(QAbstractItemView::MultiSelection);
    list.flagSetters[2](ShownView::AllFlags & ~Qt::ItemIsEnabled);
    list.view->model()->setData(list.index(0), int(Qt::Checked), Qt::CheckStateRole);
    list.view->model()->setData(list.index(1), int(Qt::PartiallyChecked), Qt::CheckStateRole);
    QVERIFY(list.show(-1));
    list.view->selectionModel()->select(list.index(5), QItemSelectionModel::Select);
    if (expected.toString().startsWith("accepts "))
        expected = list.expected(expected.toString());
    QCOMPARE(viewProperty(list.view, name, parameter), expected);
}

// The extended mode lists texts with '/', ':' and '\' escaped and reads the escapes first.
void tst_ListViewProxy::separatorsInTexts()
{
    ShownList list("widget", {{-1, {"a/b"}}, {-1, {"c:d"}}, {-1, {"c\\:d"}}});
    list.flagSetters[2](ShownView::AllFlags & ~Qt::ItemIsEnabled);
    QCOMPARE(viewProperty(list.view, "itemList"), QVariant(QStringList{"a/b", "c:d", "c\\:d"}));
    const auto extended = WireText::Mode::Extended;
    QCOMPARE(viewProperty(list.view, "itemList", {}, QString(), extended),
             QVariant(QStringList{"a\\/b", "c\\:d", "c\\\\\\:d"}));
    QCOMPARE(viewProperty(list.view, "itemIsEnabled", "c\\:d", QString(), extended),
             QVariant(true));
}

TC_TEST_MAIN(tst_ListViewProxy)
#include "tst_listviewproxy.moc"
