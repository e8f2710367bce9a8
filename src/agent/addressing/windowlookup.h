#pragma once

#include "widgetaddressing.h"

#include <QWidgetList>

// The window lookup behind findWindow() and resolveWindow(), open to a caller that brings
// its own list of top-level widgets: the plain reference lookups of this folder list them
// the long way.
namespace WindowLookup {

int findWindowAmong(QWidget *&window, const QString &name, QWidgetList (*topLevels)());

using FindWindow = int (*)(QWidget *&, const QString &);

LookupResult resolveWindowWith(FindWindow findWindow, const QString &name, WindowCheck mode,
                               const ActiveWidgets &active, bool popupPassesAnyWindow);

} // namespace WindowLookup
