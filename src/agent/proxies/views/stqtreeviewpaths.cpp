// The tree proxy's item paths: how an item is written and how a path is read back.

#include "stqtreeview.h"

#include <QHeaderView>
#include <QTreeView>

namespace {

const QChar pathSeparator(QLatin1Char(STQTreeView::levelSeparator));
const QChar fieldSeparator(QLatin1Char(STQTreeView::cellSeparator));

// The texts of the columns the view shows, in the model's order.
QStringList shownCells(const QTreeView *view, const QModelIndex &index)
{
    const QAbstractItemModel *model = index.model();
    const QModelIndex parent = index.parent();
    const int columns = model->columnCount(parent);
    QStringList cells;
    for (int column = 0; column < columns; ++column) {
        if (!view->isColumnHidden(column))
            cells.append(model->index(index.row(), column, parent).data().toString());
    }
    return cells;
}

// One character of a path, or of a row's text: a separator ('/' between levels, ':'
// between cells) or a character of an item text.
struct PathChar
{
    QChar ch;
    bool separator;
};
using PathChars = QVector<PathChar>;

// A path as a request wrote it. Every '/' and ':' separates; with escapes (the extended
// mode), "\/", "\:" and "\\" are text.
PathChars readPath(const QString &path, bool escapes)
{
    PathChars chars;
    chars.reserve(path.size());
    for (int i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (escapes && c == QLatin1Char('\\') && i + 1 < path.size() &&
            STItemViewProxy::isEscaped(path.at(i + 1)))
            chars.append({path.at(++i), false});
        else
            chars.append({c, c == pathSeparator || c == fieldSeparator});
    }
    return chars;
}

// A row's text: its shown cells with a separator between them, where a leading empty cell
// leaves none (as rowText writes it).
PathChars rowChars(const QTreeView *view, const QModelIndex &index)
{
    PathChars chars;
    for (const QString &cell : shownCells(view, index)) {
        if (!chars.isEmpty())
            chars.append({fieldSeparator, true});
        for (const QChar c : cell)
            chars.append({c, false});
    }
    return chars;
}

// The places in path where the element that starts at from may end when it names row, in
// order: a '/' separator or the path's end, reached where a field of the row ends. The
// element names the row when each of its fields equals the row's field at the same place
// (so it may name only the first cells); its ':' matches any ':' of the row, as fields
// are told apart by ':' alone. With slashesInText, a '/' separator may also stand for a
// '/' in a cell, as a plain reply prints such a text; the element then ends later.
QVector<int> elementEnds(const PathChars &path, int from, const PathChars &row, bool slashesInText)
{
    QVector<int> ends;
    int i = from;
    for (int j = 0;; ++i, ++j) {
        const bool fieldEnd = j == row.size() || row.at(j).ch == fieldSeparator;
        const bool pathEnd = i == path.size();
        if (fieldEnd && (pathEnd || (path.at(i).separator && path.at(i).ch == pathSeparator)))
            ends.append(i);
        if (pathEnd || j == row.size())
            return ends;
        const PathChar &wanted = path.at(i);
        const PathChar &have = row.at(j);
        bool same = false;
        if (!wanted.separator)
            same = !have.separator && have.ch == wanted.ch;
        else if (wanted.ch == fieldSeparator)
            same = have.ch == fieldSeparator;
        else
            same = slashesInText && !have.separator && have.ch == pathSeparator;
        if (!same)
            return ends;
    }
}

// The first item below parent, depth first, that the path from the given place names.
QModelIndex findBelow(const QTreeView *view, const QAbstractItemModel *model,
                      const QModelIndex &parent, const PathChars &path, int from,
                      bool slashesInText)
{
    const int rows = model->rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const QVector<int> ends = elementEnds(path, from, rowChars(view, index), slashesInText);
        for (const int end : ends) {
            if (end == path.size())
                return index.siblingAtColumn(STQTreeView::itemColumn(view));
            // Equal siblings: the first one under which the rest of the path exists.
            const QModelIndex found = findBelow(view, model, index, path, end + 1, slashesInText);
            if (found.isValid())
                return found;
        }
    }
    return QModelIndex();
}

} // namespace

int STQTreeView::itemColumn(const QTreeView *view)
{
    if (!view->isColumnHidden(0))
        return 0;
    const QHeaderView *header = view->header();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            return logical;
    }
    return 0;
}

QString STQTreeView::rowText(const QTreeView *view, const QModelIndex &index, WireText::Mode mode)
{
    if (!index.isValid())
        return QString();
    QString text;
    for (const QString &cell : shownCells(view, index)) {
        if (!text.isEmpty())
            text += fieldSeparator;
        text += replyItemText(cell, mode);
    }
    return text;
}

QString STQTreeView::itemPath(const QTreeView *view, const QModelIndex &index, WireText::Mode mode)
{
    QStringList texts;
    for (QModelIndex level = index; level.isValid() && level != view->rootIndex();
         level = level.parent())
        texts.prepend(rowText(view, level, mode));
    return texts.join(pathSeparator);
}

QModelIndex STQTreeView::findItem(const QTreeView *view, const QString &path, WireText::Mode mode)
{
    const QAbstractItemModel *model = modelOf(view);
    // Read as written first: a '/' separates levels. Only a path that names no item so may
    // hold a text's '/' as a plain reply prints it; and where the extended mode's escapes
    // name nothing, the path is read as the plain mode reads it.
    const bool extended = mode == WireText::Mode::Extended;
    QVector<PathChars> readings{readPath(path, extended)};
    if (extended && path.contains(QLatin1Char('\\')))
        readings.append(readPath(path, false));
    for (const PathChars &reading : qAsConst(readings)) {
        for (const bool slashesInText : {false, true}) {
            const QModelIndex found =
                findBelow(view, model, view->rootIndex(), reading, 0, slashesInText);
            if (found.isValid())
                return found;
        }
    }
    return QModelIndex();
}
