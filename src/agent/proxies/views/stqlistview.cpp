#include "stqlistview.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QListView>
#include <QListWidget>

namespace {

const char unknownItem[] = "activate, QListView unknown item %1";
const char invalidIndex[] = "activate, QListView invalid index %d";
const char noFocus[] = "Oops, can not set the focus to the list view";
const char notEditable[] = "Item is not editable";
const char missingItem[] = "Missing item";

// Enough presses to cross every row a few times over, whatever the layout; a row the
// keyboard cannot reach (a hidden one, say) ends the walk here.
constexpr int pressesPerRow = 5;

int currentRow(const QAbstractItemView *view)
{
    const QModelIndex current = view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

} // namespace

QListView *STQListView::listView()
{
    return static_cast<QListView *>(checkedWidget("QListView"));
}

QModelIndex STQListView::rowIndex(const QListView *view, int row)
{
    return modelOf(view)->index(row, view->modelColumn(), view->rootIndex());
}

int STQListView::findRow(const QListView *view, const QString &text)
{
    const int rows = modelOf(view)->rowCount(view->rootIndex());
    for (int row = 0; row < rows; ++row) {
        if (!view->isRowHidden(row) && rowIndex(view, row).data().toString() == text)
            return row;
    }
    return -1;
}

int STQListView::findNamedRow(const QListView *view, const QString &name, WireText::Mode mode)
{
    // The extended mode lists texts with escapes; a name written without them is still
    // the text it reads.
    if (mode == WireText::Mode::Extended) {
        const QString text = unescapedItemText(name);
        if (text != name) {
            const int row = findRow(view, text);
            if (row >= 0)
                return row;
        }
    }
    return findRow(view, name);
}

bool STQListView::navigateToRow(int row)
{
    // Even a focused view gets its Up press: it gives the view a current item.
    focusItemView("QListView", PressUp, noFocus);
    const QListView *view = listView();
    const int current = currentRow(view);
    if (current == row)
        return false;
    const int limit = pressesPerRow * modelOf(view)->rowCount(view->rootIndex());
    pressUntil(row > current ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier, limit,
               [this, row] { return currentRow(listView()) == row; });
    return true;
}

void STQListView::activate(const QVariant &first, const QVariant &second)
{
    if (first.userType() != QMetaType::QString && first.userType() != QMetaType::Int)
        typeError("String, int");
    const QChar key = terminatingKey(second);

    QListView *view = listView();
    int row;
    if (first.userType() == QMetaType::QString) {
        row = findNamedRow(view, first.toString(), mode);
        if (row < 0)
            raiseWith(unknownItem, first.toString());
    } else {
        row = first.toInt();
        if (row < 0 || row >= modelOf(view)->rowCount(view->rootIndex()))
            raiseError(invalidIndex, row);
    }

    // The item was current already: a terminating key would act on a choice not made now.
    if (!navigateToRow(row))
        return;
    sendTerminatingKey(key);
}

void STQListView::enter(const QVariant &value)
{
    const QModelIndex current = currentItemToEnter(listView(), value);
    const int row = current.row();
    const bool check = value.userType() == QMetaType::Bool;
    if (check) {
        requireCheckable(current);
        const QVariant state = current.data(Qt::CheckStateRole);
        const Qt::CheckState wanted = value.toBool() ? Qt::Checked : Qt::Unchecked;
        if (state.isValid() && state.toInt() == wanted)
            return;
    } else if (!(current.flags() & Qt::ItemIsEditable)) {
        raiseError(notEditable);
    }

    // Navigation starts with an Up press, which moves away from the item; bring it back.
    navigateToRow(row);
    if (check) {
        flushEvents = false;
        spaceClick();
    } else {
        editCurrentItem(value.toString());
    }
}

void STQListView::mouse(const QVariant &command)
{
    if (command.userType() != QMetaType::QString)
        typeError("string");
    const QListView *view = listView();
    itemMouseCommand(command.toString(), itemMousePoint(view, view->currentIndex(), true));
}

QStringList STQListView::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("rowCount"), QStringLiteral("itemList"),
                               QStringLiteral("currentItemRect"), QStringLiteral("itemIsEnabled"),
                               QStringLiteral("itemIsSelectable"), QStringLiteral("itemIsSelected"),
                               QStringLiteral("itemIsCheckable"), QStringLiteral("itemIsChecked")});
}

QVariant STQListView::pseudoProperty(const char *name, const QVariant &parameter)
{
    const QListView *view = listView();
    const QAbstractItemModel *model = modelOf(view);
    const QByteArray property(name);

    if (property == "rowCount") {
        if (const auto *list = qobject_cast<const QListWidget *>(view))
            return list->count();
        return model->rowCount(view->rootIndex());
    }
    if (property == "itemList") {
        QStringList texts;
        const int rows = model->rowCount(view->rootIndex());
        for (int row = 0; row < rows; ++row) {
            if (!view->isRowHidden(row))
                texts.append(replyItemText(rowIndex(view, row).data().toString(), mode));
        }
        return texts;
    }
    if (property == "currentItemRect")
        return itemRect(view, view->currentIndex());
    if (!property.startsWith("item"))
        return QVariant();

    if (!parameter.isValid())
        typeError("string");
    const QString text = parameter.toString();
    if (text.isEmpty())
        raiseError(missingItem);
    const int row = findNamedRow(view, text, mode);
    if (row < 0)
        raiseWith(unknownItem, text);
    if (property == "itemGlobalRect")
        return itemGlobalRect(view, rowIndex(view, row));
    return itemFlagProperty(view, property, rowIndex(view, row));
}

QString STQListView::itemName(const QListView *view, const QModelIndex &index)
{
    const QAbstractItemModel *model = index.model();
    const QString text = index.data(Qt::DisplayRole).toString();
    int same = 0;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        if (model->index(row, view->modelColumn(), view->rootIndex())
                .data(Qt::DisplayRole)
                .toString() == text)
            ++same;
    }
    if (text.isEmpty() || same != 1)
        return QStringLiteral("i:") + QString::number(index.row());
    return QStringLiteral("s:") + replyItemText(text, WireText::Mode::Extended);
}
