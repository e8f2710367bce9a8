#include "stqdockwidget.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QTabBar>

void STQDockWidget::activate(const QVariant &first, const QVariant & /*second*/)
{
    if (first.isValid())
        typeError("none");
    auto *dock = static_cast<QDockWidget *>(checkedWidget("QDockWidget"));

    // A floating or lone dock widget is in view already: there is nothing to click.
    auto *mainWindow = qobject_cast<QMainWindow *>(dock->parentWidget());
    if (!mainWindow || mainWindow->tabifiedDockWidgets(dock).isEmpty())
        return;

    // The main window's own tab bars (direct children) are the ones it stacks docks with;
    // their tabs carry the dock widgets' titles.
    const QList<QTabBar *> bars = mainWindow->findChildren<QTabBar *>();
    for (QTabBar *bar : bars) {
        if (bar->parentWidget() != mainWindow)
            continue;
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            if (bar->tabText(i) == dock->windowTitle() && !tab.isNull()) {
                flushEvents = false;
                clickCentre(bar, tab);
                return;
            }
        }
    }
}
