#include "stqabstractitemview.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTableView>
#include <QTreeView>

namespace {

const char invalidWidget[] = "Invalid Widget";
const char pathSyntaxError[] = "Syntax error in path";
const char invalidRow[] = "Invalid row: %1";
const char invalidColumn[] = "Invalid column: %1";
const char rowOutOfRange[] = "Row %i is out of range (0..%i)";
const char columnOutOfRange[] = "Column %i is out of range (0..%i)";
const char pathNotFound[] = "Path not found";
const char notATreeView[] = "Not a QTreeView";
const char noHorizontalHeader[] = "View does not have a horizontal header.";
const char noVerticalHeader[] = "View does not have a vertical header.";

// "Invalid row: Total": the text comes from the request and is put in verbatim.
[[noreturn]] void raiseWithText(const char *format, const QString &text)
{
    raiseWith(format, text);
}

// The 0-based section that a field names: a number always counts from 1 (even where a
// header reads like a number) and is handed back unchecked; any other text names the
// first of count sections whose header text equals it. False when no header matches.
bool findSection(const QAbstractItemModel *model, Qt::Orientation orientation, int count,
                 const QString &field, int *section)
{
    bool isNumber = false;
    const int number = field.toInt(&isNumber, 10);
    if (isNumber) {
        // Counted in unsigned so that the smallest int wraps instead of overflowing.
        *section = int(unsigned(number) - 1u);
        return true;
    }
    for (int candidate = 0; candidate < count; ++candidate) {
        if (model->headerData(candidate, orientation, Qt::DisplayRole).toString() == field) {
            *section = candidate;
            return true;
        }
    }
    return false;
}

// The selection commands of activate; any other word changes no selection. The commands
// that choose the item (a click or Control+click would) make it current too; Deselect and
// Clear leave the current item alone.
struct SelectionCommand
{
    const char *name;
    QItemSelectionModel::SelectionFlag flag;
    bool choosesItem;
};
const SelectionCommand selectionCommands[] = {
    {"Select", QItemSelectionModel::Select, true},
    {"Deselect", QItemSelectionModel::Deselect, false},
    {"Toggle", QItemSelectionModel::Toggle, true},
    {"ClearAndSelect", QItemSelectionModel::ClearAndSelect, true},
    {"Clear", QItemSelectionModel::Clear, false},
};
const char scrollOnly[] = "ScrollTo";

} // namespace

QAbstractItemView *STQAbstractItemView::checkedView()
{
    auto *view = qobject_cast<QAbstractItemView *>(checkedWidget());
    if (!view || !view->model())
        raiseError(invalidWidget);
    return view;
}

QModelIndex STQAbstractItemView::resolveModelIndexPath(const QString &path)
{
    const QAbstractItemView *view = checkedView();
    QModelIndex index = view->rootIndex();
    if (path.isEmpty())
        return index;
    const QAbstractItemModel *model = view->model();

    const QStringList elements = path.split(QLatin1Char('/'));
    for (const QString &element : elements) {
        const QStringList fields = element.split(QLatin1Char(';'));
        if (fields.size() > 2)
            raiseError(pathSyntaxError);
        // Header data does not depend on the parent, but the sections searched are those
        // of the level being entered.
        const int rowCount = model->rowCount(index);
        const int columnCount = model->columnCount(index);

        int row = 0;
        if (!findSection(model, Qt::Vertical, rowCount, fields.at(0), &row))
            raiseWithText(invalidRow, fields.at(0));
        int column = 0;
        if (fields.size() == 2 &&
            !findSection(model, Qt::Horizontal, columnCount, fields.at(1), &column))
            raiseWithText(invalidColumn, fields.at(1));
        if (row < 0 || row >= rowCount)
            raiseError(rowOutOfRange, row + 1, rowCount);
        if (column < 0 || column >= columnCount)
            raiseError(columnOutOfRange, column + 1, columnCount);

        index = model->index(row, column, index);
        if (!index.isValid())
            raiseError(pathNotFound);
    }
    return index;
}

void STQAbstractItemView::activate(const QVariant &first, const QVariant &second)
{
    QAbstractItemView *view = checkedView();
    const QModelIndex found = resolveModelIndexPath(first.toString());
    // The root stands for no item: nothing to scroll to, nothing to select but "Clear".
    const QModelIndex index = found == view->rootIndex() ? QModelIndex() : found;
    // A tree view expands the item's parents on the way.
    view->scrollTo(index, QAbstractItemView::EnsureVisible);

    const QString command = second.toString();
    if (command == QLatin1String(scrollOnly))
        return;
    const SelectionCommand *chosen = nullptr;
    for (const SelectionCommand &candidate : selectionCommands) {
        if (command == QLatin1String(candidate.name)) {
            chosen = &candidate;
            break;
        }
    }
    QItemSelectionModel::SelectionFlags flags =
        chosen ? chosen->flag : QItemSelectionModel::NoUpdate;
    if (view->selectionBehavior() == QAbstractItemView::SelectRows)
        flags |= QItemSelectionModel::Rows;
    else if (view->selectionBehavior() == QAbstractItemView::SelectColumns)
        flags |= QItemSelectionModel::Columns;
    QItemSelectionModel *selection = view->selectionModel();
    if (!selection)
        return;
    // A command that chooses the item makes it current as well, as a click does: views and
    // dialogs act on the current item. The focus stays where it is.
    if (chosen && chosen->choosesItem && index.isValid())
        selection->setCurrentIndex(index, flags);
    else
        selection->select(index, flags);
}

QStringList STQAbstractItemView::pseudoPropertyNames()
{
    return {QStringLiteral("columnCount"),    QStringLiteral("rowCount"),
            QStringLiteral("itemIsSelected"), QStringLiteral("itemIsExpanded"),
            QStringLiteral("itemData"),       QStringLiteral("itemPosition")};
}

bool STQAbstractItemView::parseHeaderSpecification(QAbstractItemView *view, const QString &text,
                                                   HeaderSection *header)
{
    static const QRegularExpression specification(
        QRegularExpression::anchoredPattern(QStringLiteral("(V|H|v|h):(.+)")),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = specification.match(text);
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(2);
    const QAbstractItemModel *model = view->model();
    if (match.captured(1).compare(QLatin1String("v"), Qt::CaseInsensitive) == 0) {
        header->orientation = Qt::Vertical;
        const int count = model->rowCount(view->rootIndex());
        if (!findSection(model, Qt::Vertical, count, name, &header->section) ||
            header->section < 0 || header->section >= count)
            raiseWithText(invalidRow, name);
    } else {
        header->orientation = Qt::Horizontal;
        const int count = model->columnCount(view->rootIndex());
        if (!findSection(model, Qt::Horizontal, count, name, &header->section) ||
            header->section < 0 || header->section >= count)
            raiseWithText(invalidColumn, name);
    }
    return true;
}

QRect STQAbstractItemView::headerSectionRect(QAbstractItemView *view, const HeaderSection &header)
{
    QHeaderView *headerView = nullptr;
    if (header.orientation == Qt::Horizontal) {
        if (auto *tree = qobject_cast<QTreeView *>(view))
            headerView = tree->header();
        else if (auto *table = qobject_cast<QTableView *>(view))
            headerView = table->horizontalHeader();
        if (!headerView)
            raiseError(noHorizontalHeader);
        const int left = headerView->sectionViewportPosition(header.section);
        return QRect(QPoint(left, 0), QPoint(left + headerView->sectionSize(header.section) - 1,
                                             headerView->height() - 1));
    }
    if (auto *table = qobject_cast<QTableView *>(view))
        headerView = table->verticalHeader();
    if (!headerView)
        raiseError(noVerticalHeader);
    const int top = headerView->sectionViewportPosition(header.section);
    return QRect(QPoint(0, top), QPoint(headerView->width() - 1,
                                        top + headerView->sectionSize(header.section) - 1));
}

QVariant STQAbstractItemView::pseudoProperty(const char *name, const QVariant &parameter)
{
    QAbstractItemView *view = checkedView();
    const QAbstractItemModel *model = view->model();
    const QString argument = parameter.toString();

    HeaderSection header;
    const bool isHeader = parseHeaderSpecification(view, argument, &header);
    // A header specification or an empty argument both stand for the view's root here.
    const QModelIndex index = isHeader ? view->rootIndex() : resolveModelIndexPath(argument);
    const bool isItem = index.isValid() && index != view->rootIndex();

    const QByteArray property(name);
    if (property == "columnCount")
        return model->columnCount(index);
    if (property == "rowCount")
        return model->rowCount(index);
    if (property == "itemIsSelected")
        return isItem && view->selectionModel() && view->selectionModel()->isSelected(index);
    if (property == "itemIsExpanded") {
        auto *tree = qobject_cast<QTreeView *>(view);
        if (!tree)
            raiseError(notATreeView);
        return isItem && tree->isExpanded(index);
    }
    if (property == "itemData") {
        if (isHeader)
            return model->headerData(header.section, header.orientation, Qt::DisplayRole);
        return isItem ? model->data(index, Qt::DisplayRole) : QVariant();
    }
    if (property == "itemPosition") {
        QRect rect;
        if (isHeader)
            rect = headerSectionRect(view, header);
        else if (isItem)
            rect = view->visualRect(index).translated(view->viewport()->pos());
        if (rect.isEmpty())
            return QString();
        // The centre as fractions of the view, in the form of a mouse command's x and y.
        const double fx = (rect.left() + rect.right()) * 0.5 / view->width();
        const double fy = (rect.top() + rect.bottom()) * 0.5 / view->height();
        return QStringLiteral("%1;%2").arg(fx).arg(fy);
    }
    return QVariant();
}

QString STQAbstractItemView::modelIndexPath(const QAbstractItemView *view, const QModelIndex &index)
{
    QStringList levels;
    for (QModelIndex level = index; level.isValid() && level != view->rootIndex();
         level = level.parent()) {
        QString element = QString::number(level.row() + 1);
        if (level.column() != 0)
            element += QLatin1Char(';') + QString::number(level.column() + 1);
        levels.prepend(element);
    }
    return levels.join(QLatin1Char('/'));
}
