#pragma once

#include "widgetaddressing.h"

class QTextStream;

// The lookups of widgetaddressing.h done the straightforward way the addressing rules are
// written: every top-level widget of the application, and one search of the window per
// naming rule. The fast forms must always agree with these; the differential test and the
// benchmark link them (library tc_addressing_reference), the agent does not.
namespace WidgetAddressing::Reference {

int findWindow(QWidget *&window, const QString &name);
LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant,
                           const ActiveWidgets &active = ActiveWidgets::current());
void widgetTree(const QWidget *widget, int depth, QTextStream &out);

} // namespace WidgetAddressing::Reference
