#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

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

// How many widgets of a window a lookup by a name alone, or by the parent's name and the
// name ("panel/edit"), finds: the visible widgets that the candidate search takes for the
// name (an object name, or a made-up name where no object name was ever set), and of those
// the ones whose parent carries the parent's name. Counted for the whole window at once,
// where looking each path up would search below its rarest name once per widget.
class NameCounts
{
public:
    // `parentName` is null for the window itself, which no path of two names finds.
    void add(const QString &name, const QString &parentName);
    int alone(const QString &name) const { return byName.value(name); }
    int underParent(const QString &parentName, const QString &name) const
    {
        return byParent.value(qMakePair(parentName, name));
    }

private:
    QHash<QString, int> byName;
    QHash<QPair<QString, QString>, int> byParent;
};

} // namespace CatalogCounts
