#pragma once

#include "widgetnaming.h"

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
    QWidget *lastMatched = nullptr; // visible or not

    void add(QWidget *candidate)
    {
        ++matched;
        lastMatched = candidate;
        if (candidate->isVisible()) {
            ++visible;
            target = candidate;
        }
    }
};

using CountMatches = Matches (*)(QWidget *window, const QStringList &elements,
                                 const QString &searchName, bool plainCandidates);

// A path element that only a widget's object name can match: names made up by the other
// naming rules (and "unnamed") are never in the object name index.
bool onlyObjectNameMatches(const QString &element);

// The fast search of resolveWidget(): from the object name index when one is installed,
// else one walk of the window's tree that tests every naming rule at once.
Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates);
// The same with the made-up names of push buttons kept by the caller across its searches
// (a listing looks up a path for every widget, the buttons' texts repeat).
Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates, WidgetNaming::DialogButtonNames *knownNames);

} // namespace CandidateSearch
