#pragma once

#include <QString>
#include <QVector>

class QWindow;

// QQuickWindows of a Widgets program (the extended mode): windows of their own beside its
// widget windows, listed and addressed like them. A window field names one by
// "Widget:<objectName>", by a prefix of its title, or by a selector whose keys read the window:
// type (its class or a base class, or the QML type of its root item: {QQuickView}, {Page}),
// name, title (text too) and nth (among the shown QQuickWindows).
namespace QuickWindows {

// The visible top-level QQuickWindows, in the order Qt lists top-level windows.
QVector<QWindow *> shown();

// The shown QQuickWindows that the window field names.
QVector<QWindow *> find(const QString &windowField);

// A window field that finds exactly this window: "Widget:" and its object name, its title (up
// to a comma), {Class title=...}, or {Class nth=N}.
QString address(QWindow *window);

} // namespace QuickWindows
