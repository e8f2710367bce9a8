#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

// The counts the widget listing makes in its one walk of a window, from which it tells
// which attributes and names find a single widget.
namespace CatalogCounts {

// A class and its base classes, by name and by an id that the listing gives each name.
struct ClassChain
{
    QStringList names;
    QVector<int> ids;
};

// Per attribute value: how many visible widgets carry it, by class (base classes included),
// counted in tree order. The value is hashed once per widget, whatever its classes.
class Tally
{
public:
    // Counts the widget in and returns how many of its own class carry the value so far.
    int add(const ClassChain &classes, const QString &value);
    int count(int classId, const QString &value) const;

private:
    using Counts = QVector<QPair<int, int>>; // class id, widgets
    QHash<QString, Counts> byValue;
};

// Where the widgets of each class (subclasses included) stand in the walk's tree order, so
// that a widget's position among those of its class below any ancestor is two searches
// rather than a count kept for every ancestor on the way.
class ClassPositions
{
public:
    void addClass() { positions.emplace_back(); }
    // The widget at `index` (ascending from call to call); returns its position, from 1,
    // among the widgets of its own class so far.
    int add(const ClassChain &classes, int index);
    int total(int classId) const { return int(positions[size_t(classId)].size()); }
    // The widgets of the class after `from` up to `to`, both indexes of the walk.
    int between(int classId, int from, int to) const;

private:
    std::vector<std::vector<int>> positions; // by class id, the indexes of its widgets
};

// How many widgets of a window a lookup by a name alone, or by the parent's name and the
// name ("panel/edit"), finds: the visible widgets that the candidate search takes for the
// name (an object name, or a made-up name where no object name was ever set), and of those
// the ones whose parent carries the parent's name. Counted for the whole window at once,
// where looking each path up would search below its rarest name once per widget. Each
// name gets an id when the walk first meets it: the name is hashed once per widget, and
// the pairs of a parent's name and a name are kept as numbers, sorted once when the walk
// is done and counted by a search (a hash would allocate a node for nearly every pair).
class NameCounts
{
public:
    // The name's id; counts the widget that carries it, candidate or not.
    int add(const QString &name);
    // `parentId` is -1 for the window itself, which no path of two names finds.
    void addCandidate(int id, int parentId);
    int carrying(int id) const { return carriers.at(id); }
    int underParent(int parentId, int id);

private:
    static quint64 pairKey(int parentId, int id)
    {
        return quint64(uint(parentId)) << 32 | uint(id);
    }

    QHash<QString, int> ids;
    QVector<int> carriers;      // by id: the widgets read that carry the name
    std::vector<quint64> pairs; // parent's id and id, of every candidate with a parent
    bool pairsSorted = true;
};

} // namespace CatalogCounts
