#include "catalogcounts.h"

#include <algorithm>

namespace CatalogCounts {

int Tally::add(const ClassChain &classes, const QString &value)
{
    if (value.isEmpty())
        return 0;
    Counts &counts = byValue[value];
    int own = 0;
    for (int id : classes.ids) {
        auto found = std::find_if(counts.begin(), counts.end(),
                                  [id](const QPair<int, int> &c) { return c.first == id; });
        if (found == counts.end())
            found = counts.insert(counts.end(), qMakePair(id, 0));
        ++found->second;
        if (id == classes.ids.first())
            own = found->second;
    }
    return own;
}

int Tally::count(int classId, const QString &value) const
{
    const auto found = byValue.constFind(value);
    if (found == byValue.constEnd())
        return 0;
    for (const QPair<int, int> &c : *found) {
        if (c.first == classId)
            return c.second;
    }
    return 0;
}

void NameCounts::add(const QString &name, const QString &parentName)
{
    ++byName[name];
    if (!parentName.isNull())
        ++byParent[qMakePair(parentName, name)];
}

} // namespace CatalogCounts
