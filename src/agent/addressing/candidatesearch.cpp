#include "candidatesearch.h"

#include "objectnameindex.h"
#include "widgetaddressing.h"
#include "widgetnaming.h"

#include <QPushButton>
#include <QToolButton>
#include <QVector>
#include <QWidget>

#include <algorithm>

using namespace WidgetNaming;

namespace CandidateSearch {

namespace {

// The same candidates in one walk of the window's object tree, every naming rule tested
// on the spot. The rules' lists never share a widget (a made-up name needs an object name
// that was never set, so it is never a widget's object name as well), so it does not
// matter that the walk meets them in another order: only the tally counts.
class MatchWalk
{
public:
    MatchWalk(QWidget *window, const QStringList &elements, const QString &searchName,
              bool plainCandidates, DialogButtonNames *knownNames)
        : window(window), elements(elements), name(nonNull(searchName)),
          dialogButtonNames(knownNames ? *knownNames : ownNames)
    {
        if (plainCandidates)
            madeUp = MadeUp::None;
        else if (name.endsWith(actionButtonSuffix))
            madeUp = MadeUp::ActionButton;
        else if (name.endsWith(dialogButtonSuffix))
            madeUp = MadeUp::DialogButton;
        else if (name.endsWith(inputDialogSuffix))
            madeUp = MadeUp::InputDialogChild;
    }

    Matches run()
    {
        walk(window);
        if (window->objectName() == name)
            test(window);
        return matches;
    }

    // Only the descendants of one widget of the window.
    void walkBelow(const QObject *root) { walk(root); }
    const Matches &result() const { return matches; }

private:
    enum class MadeUp { None, ActionButton, DialogButton, InputDialogChild };

    void walk(const QObject *object)
    {
        // Through every child, widget or not, as findChildren() goes.
        for (QObject *child : object->children()) {
            if (child->isWidgetType() && isCandidate(static_cast<QWidget *>(child)))
                test(static_cast<QWidget *>(child));
            if (!child->children().isEmpty())
                walk(child);
        }
    }

    bool isCandidate(const QWidget *widget)
    {
        const QString objectName = widget->objectName();
        if (!objectName.isNull() || name.isEmpty())
            return objectName == name;
        switch (madeUp) {
        case MadeUp::None:
            return false;
        case MadeUp::ActionButton:
            return qobject_cast<const QToolButton *>(widget) && actionButtonName(widget) == name;
        case MadeUp::DialogButton:
            return qobject_cast<const QPushButton *>(widget) &&
                   dialogButtonName(widget, &dialogButtonNames) == name;
        case MadeUp::InputDialogChild:
            return isInputDialogChild(widget) && inputDialogChildName(widget) == name;
        }
        return false;
    }

    void test(QWidget *candidate)
    {
        if (pathMatches(candidate, window, elements, &dialogButtonNames))
            matches.add(candidate);
    }

    QWidget *window;
    const QStringList &elements;
    const QString name;
    MadeUp madeUp = MadeUp::None;
    DialogButtonNames ownNames;
    DialogButtonNames &dialogButtonNames;
    Matches matches;
};

Matches countMatchesInOneWalk(QWidget *window, const QStringList &elements,
                              const QString &searchName, bool plainCandidates,
                              DialogButtonNames *knownNames)
{
    return MatchWalk(window, elements, searchName, plainCandidates, knownNames).run();
}

bool enclosesObject(const QObject *outer, const QObject *inner)
{
    for (; inner; inner = inner->parent()) {
        if (inner == outer)
            return true;
    }
    return false;
}

// The candidates that can pass the path check, found from the widgets that carry the
// element `anchor` as object name. Every match has such a widget on its way up to the
// window (the target itself when the anchor is the last element), so the search only
// reads the trees below those few widgets.
Matches countMatchesFromAnchor(ObjectNameIndex &index, QWidget *window, const QStringList &elements,
                               int anchor, const QString &searchName, bool plainCandidates,
                               DialogButtonNames *knownNames)
{
    QVector<QWidget *> anchors = index.widgetsNamed(elements.at(anchor));
    anchors.erase(
        std::remove_if(anchors.begin(), anchors.end(),
                       [window](QWidget *widget) { return !enclosesObject(window, widget); }),
        anchors.end());

    if (anchor == elements.size() - 1) {
        DialogButtonNames ownNames;
        Matches matches;
        for (QWidget *candidate : qAsConst(anchors)) {
            if (pathMatches(candidate, window, elements, knownNames ? knownNames : &ownNames))
                matches.add(candidate);
        }
        return matches;
    }
    // An anchor inside another one is searched twice, its candidates counted twice. That
    // can only make the visible matches more than one, and the caller then walks the window.
    MatchWalk walk(window, elements, searchName, plainCandidates, knownNames);
    for (QWidget *widget : qAsConst(anchors))
        walk.walkBelow(widget);
    return walk.result();
}

} // namespace

bool onlyObjectNameMatches(const QString &element)
{
    return !element.isEmpty() && element != unnamedName && !element.endsWith(actionButtonSuffix) &&
           !element.endsWith(dialogButtonSuffix) && !element.endsWith(inputDialogSuffix);
}

// With an index of object names: start from the rarest element of the path that only an
// object name can match, nearest the target among equally rare ones. The index cannot see
// a rename made while signals were blocked, so anything but exactly one visible match is
// confirmed by the walk of the whole window.
Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates)
{
    return countMatchesIndexed(window, elements, searchName, plainCandidates, nullptr);
}

Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates, DialogButtonNames *knownNames)
{
    if (ObjectNameIndex *index = ObjectNameIndex::instance()) {
        index->cover(window);
        int anchor = -1;
        int anchorEstimate = 0;
        for (int i = 0; i < elements.size(); ++i) {
            if (!onlyObjectNameMatches(elements.at(i)))
                continue;
            const int estimate = index->estimate(elements.at(i));
            if (anchor < 0 || estimate <= anchorEstimate) {
                anchor = i;
                anchorEstimate = estimate;
            }
        }
        if (anchor >= 0) {
            const Matches matches = countMatchesFromAnchor(*index, window, elements, anchor,
                                                           searchName, plainCandidates, knownNames);
            if (matches.visible == 1)
                return matches;
        }
    }
    return countMatchesInOneWalk(window, elements, searchName, plainCandidates, knownNames);
}

} // namespace CandidateSearch

namespace WidgetAddressing {

void widgetList(QList<QWidget *> &list, QWidget *root, QString name)
{
    name = nonNull(name);
    list = root->findChildren<QWidget *>(name);

    if (name.endsWith(actionButtonSuffix)) {
        const QList<QToolButton *> buttons = root->findChildren<QToolButton *>();
        for (QToolButton *button : buttons) {
            if (objectNameNeverSet(button) && actionButtonName(button) == name)
                list.append(button);
        }
    }
    if (name.endsWith(dialogButtonSuffix)) {
        const QList<QPushButton *> buttons = root->findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (objectNameNeverSet(button) && dialogButtonName(button) == name)
                list.append(button);
        }
    }
    if (name.endsWith(inputDialogSuffix)) {
        const QList<QWidget *> widgets = root->findChildren<QWidget *>();
        for (QWidget *widget : widgets) {
            if (objectNameNeverSet(widget) && isInputDialogChild(widget) &&
                inputDialogChildName(widget) == name)
                list.append(widget);
        }
    }
    if (root->objectName() == name)
        list.append(root);
}

} // namespace WidgetAddressing
