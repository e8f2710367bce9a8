#pragma once

#include "searcherror.h"

#include <QString>
#include <QStringList>

class QWidget;

// Finding a widget by a list of plain object names from the top of the widget tree down.
//
// Each entry of the list is a name (any non-null string, the empty one included) or
// missing (a null string). Between two names, no missing entry means "direct parent" and
// n missing entries mean "at least n levels in between". A missing first entry anchors
// the match at a window without parent widget. Missing entries after the last name step
// down that many levels to a single leaf widget. A list without any name is accepted only
// as one missing entry plus a window title: it then finds the window by title alone.
//
namespace HierarchicalSearch {

// The widget found, or null with the reason.
struct Outcome
{
    QWidget *widget = nullptr;
    OxSquishProxy::SearchErrorKind error = OxSquishProxy::SearchNoError;
};

Outcome findWidgetByHierarchicalName(const QStringList &hierarchicalName,
                                     const QString &windowTitle = QString(),
                                     QWidget *pWindow = nullptr, bool bOnlyVisible = true,
                                     bool bWildCardWindowTitle = false);

// Whether the ancestors of widget match entries 0 to i (entry i + 1 has matched widget).
// An index at or beyond the list size is a caller's bug and throws std::logic_error.
bool matchAncestors(const QWidget *widget, const QStringList &names, int i);

// The single widget depth levels below widget; null when there is none or when some
// level offers more than one widget child (ambiguous is then raised).
QWidget *descendToOnly(QWidget *widget, int depth, bool &ambiguous);

} // namespace HierarchicalSearch
