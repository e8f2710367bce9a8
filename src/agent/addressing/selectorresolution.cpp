#include "selectorresolution.h"

#include "objectnameindex.h"
#include "selector.h"
#include "widgetaddressing.h"
#include "widgetnaming.h"

#include <QSet>

#include <QVector>
#include <QWidget>

#include <algorithm>

namespace SelectorResolution {

namespace {

// One non-empty element of a path and whether a gap (empty elements) comes before it.
struct Step
{
    QString name; // a plain element
    Selector selector;
    bool isSelector = false;
    bool afterGap = false;

    bool matches(const QWidget *widget, WidgetNaming::DialogButtonNames *names) const
    {
        return isSelector ? selector.matches(widget) : WidgetNaming::nameOf(widget, names) == name;
    }
};

struct Steps
{
    QVector<Step> steps;
    bool trailingGap = false;
};

Steps readPath(const QString &path)
{
    Steps read;
    bool gap = false;
    const QStringList elements = Selector::splitPath(path);
    for (const QString &element : elements) {
        if (element.isEmpty()) {
            gap = true;
            continue;
        }
        Step step;
        step.afterGap = gap;
        step.isSelector = Selector::isSelector(element);
        if (step.isSelector)
            step.selector = Selector::parse(element);
        else
            step.name = element;
        read.steps.append(step);
        gap = false;
    }
    read.trailingGap = gap;
    return read;
}

// Every widget below `root` in tree order (through non-widget objects too, as
// findChildren goes), `root` itself first when asked.
template <typename Visit> void walkBelow(QObject *root, Visit &&visit)
{
    for (QObject *child : root->children()) {
        if (child->isWidgetType())
            visit(static_cast<QWidget *>(child));
        if (!child->children().isEmpty())
            walkBelow(child, visit);
    }
}

bool encloses(const QObject *outer, const QObject *inner)
{
    for (; inner; inner = inner->parent()) {
        if (inner == outer)
            return true;
    }
    return false;
}

// The matches of one step below one anchor, nth applied: among the visible matches; when
// none is visible, the hidden ones stay so that the verdict can say "not visible".
QVector<QWidget *> pick(QVector<QWidget *> found, const Step &step)
{
    const int nth = step.isSelector ? step.selector.nth() : 0;
    if (nth == 0)
        return found;
    QVector<QWidget *> shown;
    for (QWidget *widget : qAsConst(found)) {
        if (widget->isVisible())
            shown.append(widget);
    }
    if (shown.isEmpty())
        return found;
    if (nth > shown.size())
        return {};
    return {shown.at(nth - 1)};
}

// Whether a widget lies below one of the anchors of a step, which reads it anyway.
bool belowAnother(const QWidget *anchor, const QSet<QWidget *> &anchors)
{
    for (const QWidget *above = anchor->parentWidget(); above; above = above->parentWidget()) {
        if (anchors.contains(const_cast<QWidget *>(above)))
            return true;
    }
    return false;
}

// Widgets a path may read in one request before it is given up as matching nothing: far
// beyond any real path (a selector reads each widget of a window of 10,000 once), but a
// line of thousands of gaps and catch-all selectors must not hold the application.
constexpr qint64 visitBudget = 20 * 1000 * 1000;

// The widgets one step matches from an anchor: the anchor itself on the first step, then its
// children, or everything below it after a gap. Each widget read counts a visit.
QVector<QWidget *> stepMatches(QWidget *anchor, const Step &step, bool first, bool descendants,
                               WidgetNaming::DialogButtonNames &names, qint64 &visits)
{
    QVector<QWidget *> found;
    if (first && step.matches(anchor, &names))
        found.append(anchor);
    if (descendants) {
        walkBelow(anchor, [&](QWidget *widget) {
            ++visits;
            if (step.matches(widget, &names))
                found.append(widget);
        });
        return found;
    }
    for (QObject *child : anchor->children()) {
        ++visits;
        if (child->isWidgetType() && step.matches(static_cast<QWidget *>(child), &names))
            found.append(static_cast<QWidget *>(child));
    }
    return found;
}

// Every widget below the anchors, each once: what a path's trailing gap stands for.
QVector<QWidget *> allBelow(const QVector<QWidget *> &anchors)
{
    QVector<QWidget *> below;
    QSet<QWidget *> seen;
    for (QWidget *anchor : anchors) {
        walkBelow(anchor, [&](QWidget *widget) {
            if (!seen.contains(widget)) {
                seen.insert(widget);
                below.append(widget);
            }
        });
    }
    return below;
}

CandidateSearch::Matches walkPath(QWidget *window, const Steps &read, bool useIndex)
{
    WidgetNaming::DialogButtonNames names;
    QVector<QWidget *> current{window};
    qint64 visits = 0;
    for (int i = 0; i < read.steps.size() && !current.isEmpty(); ++i) {
        const Step &step = read.steps.at(i);
        QVector<QWidget *> next;
        QSet<QWidget *> seen;
        // Without nth, an anchor inside another one adds nothing the outer one's walk
        // does not find.
        const bool descendants = i == 0 || step.afterGap;
        const bool outermostOnly = descendants && !(step.isSelector && step.selector.nth() > 0);
        QSet<QWidget *> anchorSet;
        if (outermostOnly && current.size() > 1)
            anchorSet = QSet<QWidget *>(current.begin(), current.end());
        const auto take = [&](const QVector<QWidget *> &found) {
            for (QWidget *widget : found) {
                if (!seen.contains(widget)) {
                    seen.insert(widget);
                    next.append(widget);
                }
            }
        };

        ObjectNameIndex *index = ObjectNameIndex::instance();
        if (i == 0 && useIndex && index && !step.isSelector &&
            CandidateSearch::onlyObjectNameMatches(step.name)) {
            // A first element that only an object name matches: its few carriers.
            index->cover(window);
            QVector<QWidget *> found = index->widgetsNamed(step.name);
            found.erase(std::remove_if(found.begin(), found.end(),
                                       [window](QWidget *w) { return !encloses(window, w); }),
                        found.end());
            take(found);
        } else {
            for (QWidget *anchor : qAsConst(current)) {
                if (visits > visitBudget)
                    return {};
                if (!anchorSet.isEmpty() && belowAnother(anchor, anchorSet))
                    continue;
                take(pick(stepMatches(anchor, step, i == 0, descendants, names, visits), step));
            }
        }
        current = next;
    }

    if (read.trailingGap && !current.isEmpty())
        current = allBelow(current);

    CandidateSearch::Matches matches;
    for (QWidget *widget : qAsConst(current))
        matches.add(widget);
    return matches;
}

} // namespace

bool hasSelector(const QString &path)
{
    if (!path.contains(QLatin1Char('{')))
        return false;
    const QStringList elements = Selector::splitPath(path);
    for (const QString &element : elements) {
        if (Selector::isSelector(element))
            return true;
    }
    return false;
}

QString syntaxError(const QString &windowField, const QString &path)
{
    QString error;
    if (Selector::isSelector(windowField) && !Selector::parse(windowField, &error).isValid())
        return error;
    if (!path.contains(QLatin1Char('{')))
        return QString();
    const QStringList elements = Selector::splitPath(path);
    for (const QString &element : elements) {
        if (Selector::isSelector(element) && !Selector::parse(element, &error).isValid())
            return error;
    }
    return QString();
}

CandidateSearch::Matches countMatches(QWidget *window, const QString &path)
{
    const Steps read = readPath(path);
    // The index cannot see a rename made while signals were blocked: anything but exactly
    // one visible match is confirmed by walking the window.
    const CandidateSearch::Matches fast = walkPath(window, read, true);
    if (fast.visible == 1 || !ObjectNameIndex::instance())
        return fast;
    return walkPath(window, read, false);
}

int findWindow(QWidget *&window, const QString &name)
{
    if (!Selector::isSelector(name))
        return WidgetAddressing::findWindow(window, name);
    const Selector selector = Selector::parse(name);
    QVector<QWidget *> found;
    const QWidgetList topLevels = WidgetAddressing::shownTopLevels();
    for (QWidget *candidate : topLevels) {
        if (candidate->isVisible() && selector.matches(candidate))
            found.append(candidate);
    }
    if (selector.nth() > 0) {
        if (selector.nth() > found.size())
            return 0;
        found = {found.at(selector.nth() - 1)};
    }
    if (!found.isEmpty())
        window = found.last();
    return found.size();
}

} // namespace SelectorResolution

namespace WidgetAddressing {

QString selectorSyntaxError(const QString &windowField, const QString &path)
{
    return SelectorResolution::syntaxError(windowField, path);
}

} // namespace WidgetAddressing
