#include "stqtreeview.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QTreeWidget>

namespace {

// The apostrophe of "can't" was lost to a replacement character long ago; scripts compare
// the message byte for byte, so its UTF-8 bytes stay (focusItemView keeps them as they are).
const char noFocus[] = "Oops, can\xEF\xBF\xBDt set the focus to the list view";
const char notSelectableView[] = "list view is not selectable";
const char singleSelectionOnly[] =
    "selection of more than one item is not possible in single selection mode";
const char invalidItemPath[] = "Invalid item path";
const char itemHidden[] = "item \"%1\" is hidden";
const char internalError[] = "Internal error";
const char itemNotEnabled[] = "item \"%1\" is not enabled";
const char itemNotSelectable[] = "item \"%1\" is not selectable";
const char unreachable[] = "item is not selectable";
// Shows the characters %d:%s themselves: raised verbatim, never as a format.
const char syntaxError[] = "Syntax Error, format \"%d:%s\" expected";
const char columnOutOfRange[] = "Invalid column %d is out of range [0, %d]";
const char columnNotEditable[] = "Item at column %d is not editable";
const char missingItemPath[] = "Missing item path";

const QChar pathSeparator(QLatin1Char(STQTreeView::levelSeparator));
const QChar fieldSeparator(QLatin1Char(STQTreeView::cellSeparator));

// A row's index in column 0: the one a model hangs the row's children on, and the one a
// tree view keeps its expanded state for.
QModelIndex rowOf(const QModelIndex &index)
{
    return index.column() == 0 ? index : index.siblingAtColumn(0);
}

// The cell of index's row that the view shows the item in: index itself when its column
// is shown.
QModelIndex shownCell(const QTreeView *view, const QModelIndex &index)
{
    if (!index.isValid() || !view->isColumnHidden(index.column()))
        return index;
    return index.siblingAtColumn(STQTreeView::itemColumn(view));
}

bool isAncestorOrSelf(const QModelIndex &candidate, QModelIndex index)
{
    const QModelIndex row = rowOf(candidate);
    for (index = rowOf(index); index.isValid(); index = index.parent()) {
        if (index == row)
            return true;
    }
    return false;
}

bool isSelected(const QTreeView *view, const QModelIndex &index)
{
    return view->selectionModel() && view->selectionModel()->isSelected(index);
}

// The Space presses that turn a check state into the wanted one: checking moves an item
// to checked, unchecking a partially checked item passes through checked.
int spacesFor(bool wanted, const QVariant &state)
{
    if (!state.isValid())
        return 0;
    switch (state.toInt()) {
    case Qt::Unchecked:
        return wanted ? 1 : 0;
    case Qt::PartiallyChecked:
        return wanted ? 1 : 2;
    case Qt::Checked:
        return wanted ? 0 : 1;
    default:
        return 0;
    }
}

// The paths of the rows below parent, depth first, each built on its parent's; hidden rows
// take their branch along.
void appendPaths(QStringList &paths, const QTreeView *view, const QAbstractItemModel *model,
                 const QModelIndex &parent, const QString &prefix, WireText::Mode mode)
{
    const int rows = model->rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        if (view->isRowHidden(row, parent))
            continue;
        const QModelIndex index = model->index(row, 0, parent);
        const QString path = prefix + STQTreeView::rowText(view, index, mode);
        paths.append(path);
        appendPaths(paths, view, model, index, path + pathSeparator, mode);
    }
}

} // namespace

QTreeView *STQTreeView::treeView()
{
    return static_cast<QTreeView *>(checkedWidget("QTreeView"));
}

void STQTreeView::focusView()
{
    focusItemView("QTreeView", SkipWhenFocused | PressUp, noFocus);
}

void STQTreeView::navigateTo(const QModelIndex &targetIndex, Qt::KeyboardModifiers modifiers)
{
    // Key presses run the application, which may change the model meanwhile.
    const QPersistentModelIndex target(targetIndex);
    if (!target.isValid())
        raiseError(internalError);
    QTreeView *view = treeView();
    if (!(target.flags() & Qt::ItemIsEnabled))
        raiseWith(itemNotEnabled, itemPath(view, target, mode));
    if (!(target.flags() & Qt::ItemIsSelectable))
        raiseWith(itemNotSelectable, itemPath(view, target, mode));
    if (view->currentIndex() == target && isSelected(view, target) &&
        (target.model()->rowCount(rowOf(target)) == 0 || view->isExpanded(rowOf(target))))
        return;

    // From the top row down: the keys a user needs do not depend on where the view was.
    QPersistentModelIndex previous;
    do {
        previous = treeView()->currentIndex();
        stepKeyClick(Qt::Key_Up, modifiers);
    } while (treeView()->currentIndex() != previous);

    view = treeView();
    const QModelIndex top = view->currentIndex();
    const QModelIndex start = modelOf(view)->index(top.row(), target.column(), top.parent());
    moveCurrent(start, modifiers);
    if (treeView()->currentIndex() == target)
        return;

    for (;;) {
        const QPersistentModelIndex current = treeView()->currentIndex();
        if (!current.isValid())
            raiseError(unreachable);
        if (isAncestorOrSelf(current, target)) {
            // Open the branch the target lies in and step into it. Right steps into a
            // branch from column 0 only; from another column it would scroll sideways.
            if (!treeView()->isExpanded(rowOf(current)))
                stepKeyClick(Qt::Key_Plus, modifiers);
            if (current.column() == 0)
                stepKeyClick(Qt::Key_Right, modifiers);
            if (treeView()->currentIndex() == current)
                stepKeyClick(Qt::Key_Down, modifiers);
        } else {
            stepKeyClick(Qt::Key_Down, modifiers);
        }
        const QModelIndex now = treeView()->currentIndex();
        if (now == current)
            raiseError(unreachable);
        if (now == target)
            return;
    }
}

void STQTreeView::moveCurrent(const QModelIndex &index, Qt::KeyboardModifiers modifiers)
{
    QTreeView *view = treeView();
    // The view's own setCurrentIndex toggles the item in multi-selection mode, which no
    // arrow key does; held modifiers keep the selection as it is, as they do for the keys.
    if (modifiers == Qt::NoModifier && view->selectionMode() != QAbstractItemView::MultiSelection)
        view->setCurrentIndex(index);
    else if (view->selectionModel())
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void STQTreeView::refuseHidden(const QTreeView *view, const QModelIndex &index)
{
    if (view->isRowHidden(index.row(), index.parent()))
        raiseWith(itemHidden, itemPath(view, index, mode));
}

QModelIndex STQTreeView::visibleItem(const QString &path)
{
    const QTreeView *view = treeView();
    const QModelIndex item = findItem(view, path, mode);
    if (!item.isValid())
        raiseError(invalidItemPath);
    refuseHidden(view, item);
    return item;
}

void STQTreeView::activate(const QVariant &first, const QVariant &second)
{
    const bool several = first.userType() == QMetaType::QStringList;
    if (!several && first.userType() != QMetaType::QString)
        typeError("string, string list");
    const QChar key = terminatingKey(second);

    focusView();
    const QAbstractItemView::SelectionMode mode = treeView()->selectionMode();
    if (mode == QAbstractItemView::NoSelection)
        raiseError(notSelectableView);
    if (mode == QAbstractItemView::SingleSelection && several)
        raiseError(singleSelectionOnly);
    if (mode == QAbstractItemView::MultiSelection) {
        // Start from nothing selected, deselecting by keyboard. Several cells of one row
        // are one selection: the first Space deselects them all.
        QList<QPersistentModelIndex> selected;
        if (const QItemSelectionModel *selection = treeView()->selectionModel()) {
            for (const QModelIndex &index : selection->selectedIndexes())
                selected.append(index);
        }
        for (const QPersistentModelIndex &index : qAsConst(selected)) {
            if (!index.isValid() || !isSelected(treeView(), index))
                continue;
            navigateTo(shownCell(treeView(), index));
            spaceClick();
        }
    }

    if (!several) {
        navigateTo(visibleItem(first.toString()));
        sendTerminatingKey(key);
        return;
    }

    // Where the selection extends, Control keeps the items chosen so far selected while
    // the keys move on to the next one and adds it with Space.
    const bool extends = mode == QAbstractItemView::ExtendedSelection ||
                         mode == QAbstractItemView::ContiguousSelection;
    const QStringList paths = first.toStringList();
    for (int i = 0; i < paths.size(); ++i) {
        const Qt::KeyboardModifiers modifiers =
            i > 0 && extends ? Qt::ControlModifier : Qt::NoModifier;
        const QPersistentModelIndex item = visibleItem(paths.at(i));
        navigateTo(item, modifiers);
        if (!isSelected(treeView(), item))
            spaceClick(modifiers);
    }
}

void STQTreeView::enter(const QVariant &value)
{
    const QPersistentModelIndex current = currentItemToEnter(treeView(), value);
    refuseHidden(treeView(), current);

    if (value.userType() == QMetaType::Bool) {
        requireCheckable(current);
        const int spaces = spacesFor(value.toBool(), current.data(Qt::CheckStateRole));
        if (spaces == 0)
            return;
        focusView();
        navigateTo(current);
        flushEvents = false;
        for (int i = 0; i < spaces; ++i)
            spaceClick();
        return;
    }

    focusView();
    navigateTo(current);
    const QString text = value.toString();
    if (text.isEmpty())
        raiseMessage(syntaxError);
    QStringList fields = text.split(fieldSeparator);
    bool isNumber = false;
    const int column = fields.takeFirst().toInt(&isNumber, 10);
    if (!isNumber)
        raiseMessage(syntaxError);
    QTreeView *view = treeView();
    const QAbstractItemModel *model = modelOf(view);
    const int columns = model->columnCount(view->rootIndex());
    if (column < 0 || column >= columns)
        raiseError(columnOutOfRange, column, columns - 1);
    const QModelIndex cell = model->index(current.row(), column, current.parent());
    if (!(cell.flags() & Qt::ItemIsEditable))
        raiseError(columnNotEditable, column);
    moveCurrent(cell);

    // F2 opens the editor with its text selected; Backspace clears it.
    keyClick(Qt::Key_F2);
    keyClick(Qt::Key_Backspace);
    typeText(fields.join(fieldSeparator));
    flushEvents = false;
    keyClick(Qt::Key_Return);
}

void STQTreeView::mouse(const QVariant &command)
{
    if (command.userType() != QMetaType::QString)
        typeError("string");
    // A current cell in a hidden column has no place on screen: its row's shown cell does.
    const QPersistentModelIndex current = shownCell(treeView(), treeView()->currentIndex());
    focusView();
    if (current.isValid())
        navigateTo(current);
    const QTreeView *view = treeView();
    itemMouseCommand(command.toString(), itemMousePoint(view, view->currentIndex(), false));
}

QStringList STQTreeView::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("columnTextList"), QStringLiteral("currentPath"),
                               QStringLiteral("columnCount"), QStringLiteral("topLevelItemCount"),
                               QStringLiteral("pathList"), QStringLiteral("itemPath"),
                               QStringLiteral("itemIsEnabled"), QStringLiteral("itemIsSelectable"),
                               QStringLiteral("itemIsSelected"), QStringLiteral("itemIsCheckable"),
                               QStringLiteral("itemIsChecked"), QStringLiteral("itemIsExpandable"),
                               QStringLiteral("itemIsOpen"), QStringLiteral("itemTextList")});
}

QVariant STQTreeView::pseudoProperty(const char *name, const QVariant &parameter)
{
    const QTreeView *view = treeView();
    const QAbstractItemModel *model = modelOf(view);
    const auto *treeWidget = qobject_cast<const QTreeWidget *>(view);
    const QByteArray property(name);

    if (property == "columnTextList") {
        const QHeaderView *header = view->header();
        QStringList texts;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int section = header->logicalIndex(visual);
            if (!header->isSectionHidden(section))
                texts.append(model->headerData(section, Qt::Horizontal).toString());
        }
        return texts;
    }
    if (property == "columnCount")
        return treeWidget ? treeWidget->columnCount() : model->columnCount(view->rootIndex());
    if (property == "topLevelItemCount")
        return treeWidget ? treeWidget->topLevelItemCount() : model->rowCount(view->rootIndex());
    if (property == "currentPath")
        return itemPath(view, view->currentIndex(), mode);
    if (property == "pathList") {
        QStringList paths;
        appendPaths(paths, view, model, view->rootIndex(), QString(), mode);
        return paths;
    }
    if (!property.startsWith("item"))
        return QVariant();

    if (!parameter.isValid())
        raiseError(missingItemPath);
    if (parameter.userType() != QMetaType::QString)
        typeError("string");
    const QModelIndex item = visibleItem(parameter.toString());

    if (property == "itemPath")
        return itemPath(view, item, mode);
    if (property == "itemGlobalRect")
        return itemGlobalRect(view, shownCell(view, item));
    if (property == "itemTextList") {
        QStringList texts;
        const int columns = model->columnCount(item.parent());
        for (int column = 0; column < columns; ++column) {
            if (!view->isColumnHidden(column))
                texts.append(item.siblingAtColumn(column).data().toString());
        }
        return texts;
    }
    if (property == "itemIsExpandable")
        return view->itemsExpandable() && model->hasChildren(rowOf(item));
    if (property == "itemIsOpen")
        return view->isExpanded(rowOf(item));
    return itemFlagProperty(view, property, item);
}
