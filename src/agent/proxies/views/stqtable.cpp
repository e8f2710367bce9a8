#include "stqtable.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QTableView>
#include <QTableWidget>

namespace {

const char missingItemCell[] = "Missing item cell";
const char cellSyntaxError[] = "Syntax Error, format \"%r:%c\" expected";
const char focusRefused[] = "Oops, cant set the focus to the table";
const char tableNotEnabled[] = "table is not enabled";
const char invalidInteger[] = "Invalid integer";

// The messages of one direction of the table.
struct AxisMessages
{
    const char *sameName;         // two sections carry the name
    const char *notFound;         // neither a header text nor a number
    const char *outOfRange;       // a cell's number beyond the sections
    const char *hidden;           // navigation or header text of a hidden section
    const char *missingNumber;    // header text without a number
    const char *headerOutOfRange; // header text of a number beyond the sections
};
const AxisMessages rowMessages = {"Same row name at row %d and %d",
                                  "Row %1 not found",
                                  "Invalid row %d is out of range [1, %d]",
                                  "row %d is hidden",
                                  "Missing row number",
                                  "Invalid row %d is out of range [1, %d]"};
const AxisMessages columnMessages = {"Same column name at column %d and %d",
                                     "Column %1 not found",
                                     "Invalid column %d is out of range [1, %d]",
                                     "column %d is hidden",
                                     "Missing column number",
                                     "Invalid col %d is out of range [1, %d]"};

const AxisMessages &messagesOf(Qt::Orientation axis)
{
    return axis == Qt::Vertical ? rowMessages : columnMessages;
}

// Rows are the vertical header's sections, columns the horizontal one's.
int sectionCount(const QAbstractItemModel *model, Qt::Orientation axis)
{
    return axis == Qt::Vertical ? model->rowCount() : model->columnCount();
}

bool isSectionHidden(const QTableView *table, Qt::Orientation axis, int section)
{
    return axis == Qt::Vertical ? table->isRowHidden(section) : table->isColumnHidden(section);
}

} // namespace

QTableView *STQTable::table()
{
    return static_cast<QTableView *>(checkedWidget("QTableView"));
}

int STQTable::resolveSection(Qt::Orientation axis, const QString &field, bool skipHidden)
{
    QTableView *view = table();
    const QAbstractItemModel *model = modelOf(view);
    const AxisMessages &messages = messagesOf(axis);
    const int count = sectionCount(model, axis);

    // Every header is compared, so that a name used twice is refused wherever it stands.
    int match = 0;
    for (int section = 0; section < count; ++section) {
        if (skipHidden && isSectionHidden(view, axis, section))
            continue;
        if (model->headerData(section, axis, Qt::DisplayRole).toString() != field)
            continue;
        if (match)
            raiseError(messages.sameName, match, section + 1);
        match = section + 1;
    }

    int number = match;
    if (!match) {
        bool isNumber = false;
        number = field.toInt(&isNumber, 10);
        if (!isNumber)
            raiseWith(messages.notFound, field);
    }
    if (number < 1 || number > count)
        raiseError(messages.outOfRange, number, count);
    return number;
}

QPoint STQTable::resolveTableCell(const QVariant &cell, bool skipHidden)
{
    if (!cell.isValid())
        raiseError(missingItemCell);
    if (cell.userType() != QMetaType::QString)
        typeError("string");
    const QString text = cell.toString();
    // The message shows "%r:%c" literally, so it must not pass through a format.
    if (!text.contains(QLatin1Char(':')))
        raiseMessage(cellSyntaxError);
    // Further fields are ignored.
    const QStringList fields = text.split(QLatin1Char(':'));
    const int row = resolveSection(Qt::Vertical, fields.at(0), skipHidden);
    const int column = resolveSection(Qt::Horizontal, fields.at(1), skipHidden);
    return QPoint(column, row);
}

QString STQTable::headerText(Qt::Orientation axis, const QVariant &number)
{
    const AxisMessages &messages = messagesOf(axis);
    if (!number.isValid())
        raiseError(messages.missingNumber);
    if (number.userType() != QMetaType::QString && number.userType() != QMetaType::Int)
        typeError("string, int");
    bool isNumber = false;
    const int section = number.toInt(&isNumber);
    if (!isNumber)
        raiseError(invalidInteger);

    QTableView *view = table();
    const QAbstractItemModel *model = modelOf(view);
    const int count = sectionCount(model, axis);
    if (section < 1 || section > count)
        raiseError(messages.headerOutOfRange, section, count);
    if (isSectionHidden(view, axis, section - 1))
        raiseError(messages.hidden, section);
    return model->headerData(section - 1, axis, Qt::DisplayRole).toString();
}

void STQTable::focusTable()
{
    focusItemView("QTableView", SkipWhenFocused | Stepwise, focusRefused);
}

void STQTable::navigateToTableCell(int row, int column)
{
    QTableView *view = table();
    if (!view->isEnabled())
        raiseError(tableNotEnabled);
    if (view->isRowHidden(row))
        raiseError(rowMessages.hidden, row + 1);
    if (view->isColumnHidden(column))
        raiseError(columnMessages.hidden, column + 1);

    const int current = view->currentIndex().column();
    if (column != current) {
        // Where a new current cell opens its editor, the editor holds the focus and takes
        // Tab to move on; arrow keys would move the cursor in its text. Shift+Tab goes as
        // the keyboard delivers it, Backtab with Shift held: an item editor reads a Tab
        // with Shift as a plain Tab and would move to the right.
        const bool editsOnMove = view->editTriggers() & QAbstractItemView::CurrentChanged;
        int key = column > current ? Qt::Key_Right : Qt::Key_Left;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
        if (editsOnMove && view->tabKeyNavigation()) {
            key = Qt::Key_Tab;
            if (column <= current) {
                key = Qt::Key_Backtab;
                modifiers = Qt::ShiftModifier;
            }
        }
        pressUntil(key, modifiers, 5 * modelOf(view)->columnCount(),
                   [this, column] { return table()->currentIndex().column() == column; });
    }
    // The presses may have run handlers that deleted the table: look it up afresh.
    view = table();
    if (row != view->currentIndex().row()) {
        const int key = row > view->currentIndex().row() ? Qt::Key_Down : Qt::Key_Up;
        pressUntil(key, Qt::NoModifier, 5 * modelOf(view)->rowCount(),
                   [this, row] { return table()->currentIndex().row() == row; });
    }
}

void STQTable::activate(const QVariant &first, const QVariant & /*second*/)
{
    const QPoint cell = resolveTableCell(first, false);
    focusTable();
    navigateToTableCell(cell.y() - 1, cell.x() - 1);
}

bool STQTable::focusCurrentCell()
{
    const QModelIndex current = table()->currentIndex();
    const bool hadCurrent = current.isValid();
    const int row = current.row(), column = current.column();
    focusTable();
    // Brings the cell back should taking the focus have moved it. Without a current cell
    // there is nothing to return to (no key reaches row -1): the focus has made the first
    // cell current.
    if (hadCurrent)
        navigateToTableCell(row, column);
    return hadCurrent;
}

void STQTable::enter(const QVariant &value)
{
    if (value.userType() != QMetaType::QString)
        typeError("string");
    // No check that the cell is editable: an editor that does not open is not noticed.
    focusCurrentCell();
    editCurrentItem(value.toString());
}

void STQTable::mouse(const QVariant &command)
{
    if (command.userType() != QMetaType::QString)
        typeError("string");
    const bool hadCurrent = focusCurrentCell();
    // Without a current cell before, the middle of the viewport, even where taking the
    // focus made a cell current. A current cell scrolled out of view is aimed at all the same.
    QTableView *view = table();
    const QModelIndex target = hadCurrent ? view->currentIndex() : QModelIndex();
    itemMouseCommand(command.toString(), itemMousePoint(view, target, false));
}

QStringList STQTable::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("rowCount"), QStringLiteral("columnCount"),
                               QStringLiteral("currentRow"), QStringLiteral("currentColumn"),
                               QStringLiteral("itemText"), QStringLiteral("rowHeaderText"),
                               QStringLiteral("columnHeaderText")});
}

QVariant STQTable::pseudoProperty(const char *name, const QVariant &parameter)
{
    QTableView *view = table();
    auto *tableWidget = qobject_cast<QTableWidget *>(view);
    const QAbstractItemModel *model = modelOf(view);
    const QByteArray property(name);

    if (property == "rowCount")
        return tableWidget ? tableWidget->rowCount() : model->rowCount();
    if (property == "columnCount")
        return tableWidget ? tableWidget->columnCount() : model->columnCount();
    // 1-based; no current cell gives 0.
    if (property == "currentRow")
        return view->currentIndex().row() + 1;
    if (property == "currentColumn")
        return view->currentIndex().column() + 1;
    if (property == "itemText") {
        const QPoint cell = resolveTableCell(parameter, true);
        const QModelIndex index = model->index(cell.y() - 1, cell.x() - 1);
        return index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    }
    if (property == "itemGlobalRect") {
        const QPoint cell = resolveTableCell(parameter, true);
        return itemGlobalRect(view, model->index(cell.y() - 1, cell.x() - 1));
    }
    if (property == "rowHeaderText")
        return headerText(Qt::Vertical, parameter);
    if (property == "columnHeaderText")
        return headerText(Qt::Horizontal, parameter);
    return QVariant();
}

namespace {

QString sectionName(const QAbstractItemModel *model, Qt::Orientation axis, int section)
{
    const int count = sectionCount(model, axis);
    const QString own = model->headerData(section, axis, Qt::DisplayRole).toString();
    int same = 0;
    for (int other = 0; other < count; ++other) {
        if (model->headerData(other, axis, Qt::DisplayRole).toString() == own)
            ++same;
    }
    if (!own.isEmpty() && same == 1 && !own.contains(QLatin1Char(':')))
        return own;
    return QString::number(section + 1);
}

} // namespace

QString STQTable::cellName(const QModelIndex &index)
{
    const QAbstractItemModel *model = index.model();
    return sectionName(model, Qt::Vertical, index.row()) + QLatin1Char(':') +
           sectionName(model, Qt::Horizontal, index.column());
}
