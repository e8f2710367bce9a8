#pragma once

#include <QStringList>
#include <QWidget>

// The search for the widgets a path can name in one window, and the tally of those that
// pass the path check.
namespace CandidateSearch {

// Tallies the candidates that pass the path check: the target is the one visible match.
struct Matches
{
    int matched = 0;
    int visible = 0;
    QWidget *target = nullptr;

    void add(QWidget *candidate)
    {
        ++matched;
        if (candidate->isVisible()) {
            ++visible;
            target = candidate;
        }
    }
};

using CountMatches = Matches (*)(QWidget *window, const QStringList &elements,
                                 const QString &searchName, bool plainCandidates);

// The fast search of resolveWidget(): from the object name index when one is installed,
// else one walk of the window's tree that tests every naming rule at once.
Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates);

} // namespace CandidateSearch
