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

int ClassPositions::add(const ClassChain &classes, int index)
{
    for (int id : classes.ids)
        positions[size_t(id)].push_back(index);
    return total(classes.ids.constFirst());
}

int ClassPositions::between(int classId, int from, int to) const
{
    const std::vector<int> &at = positions[size_t(classId)];
    return int(std::upper_bound(at.begin(), at.end(), to) -
               std::upper_bound(at.begin(), at.end(), from));
}

int NameCounts::add(const QString &name)
{
    auto found = ids.constFind(name);
    if (found == ids.constEnd()) {
        found = ids.insert(name, carriers.size());
        carriers.append(0);
    }
    ++carriers[*found];
    return *found;
}

void NameCounts::addCandidate(int id, int parentId)
{
    if (parentId < 0)
        return;
    pairs.push_back(pairKey(parentId, id));
    pairsSorted = false;
}

int NameCounts::underParent(int parentId, int id)
{
    if (!pairsSorted) {
        std::sort(pairs.begin(), pairs.end());
        pairsSorted = true;
    }
    const auto found = std::equal_range(pairs.begin(), pairs.end(), pairKey(parentId, id));
    return int(found.second - found.first);
}

} // namespace CatalogCounts
