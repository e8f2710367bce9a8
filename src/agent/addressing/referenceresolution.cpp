#include "referenceresolution.h"

#include "candidatesearch.h"
#include "widgetnaming.h"
#include "widgetresolution.h"
#include "windowlookup.h"

#include <QApplication>
#include <QTextStream>
#include <QWidget>

namespace {

// The candidates as the addressing rules list them (one search of the window per rule),
// each checked against the path.
CandidateSearch::Matches countMatchesByList(QWidget *window, const QStringList &elements,
                                            const QString &searchName, bool plainCandidates)
{
    QList<QWidget *> candidates;
    if (plainCandidates) {
        const QString name = WidgetNaming::nonNull(searchName);
        candidates = window->findChildren<QWidget *>(name);
        if (window->objectName() == name)
            candidates.append(window);
    } else {
        WidgetAddressing::widgetList(candidates, window, searchName);
    }
    CandidateSearch::Matches matches;
    for (QWidget *candidate : qAsConst(candidates)) {
        if (WidgetAddressing::checkPath(candidate, window, elements))
            matches.add(candidate);
    }
    return matches;
}

} // namespace

namespace WidgetAddressing::Reference {

int findWindow(QWidget *&window, const QString &name)
{
    return WindowLookup::findWindowAmong(window, name, QApplication::topLevelWidgets);
}

LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant, const ActiveWidgets &active)
{
    return WidgetResolution::resolve(windowName, path, variant, active, Reference::findWindow,
                                     countMatchesByList);
}

void widgetTree(const QWidget *widget, int depth, QTextStream &out)
{
    out << QChar(0x0c) << depth << (widget->isVisible() ? " V " : " N ")
        << widget->metaObject()->className() << " : \"" << widget->objectName() << '"';
    for (const QObject *child : widget->children()) {
        if (child->isWidgetType())
            Reference::widgetTree(static_cast<const QWidget *>(child), depth + 1, out);
    }
}

} // namespace WidgetAddressing::Reference
