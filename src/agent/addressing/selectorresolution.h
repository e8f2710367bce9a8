#pragma once

#include "candidatesearch.h"

#include <QString>
#include <QStringList>

class QWidget;

// Resolution of paths and window fields that hold selectors (selector.h), in the extended
// mode. Paths without a selector never come here: they keep the naming rules' own search.
namespace SelectorResolution {

// Whether a path holds a selector element.
bool hasSelector(const QString &path);

// The first malformed selector of a window field and a path, as a message; empty when
// every selector reads.
QString syntaxError(const QString &windowField, const QString &path);

// The path read from the window down: the first element matches the window or any widget
// in it, each further element a child of a widget the element before matched, or, after
// an empty element, any widget below it. An nth term picks among the visible matches below
// one widget (in tree order). Names match as the naming rules name a widget.
CandidateSearch::Matches countMatches(QWidget *window, const QString &path);

// Window lookup that also takes a selector: the visible top-level widgets it matches, the
// last of them in window. Any other name is looked up as findWindow() does.
int findWindow(QWidget *&window, const QString &name);

} // namespace SelectorResolution
