#include "stqtabwidget.h"

#include "proxies/framework/sterror.h"

#include <QTabWidget>

namespace {

const char tabBarNotDefined[] = "Internal error, TabBar widget not defined";

} // namespace

QTabBar *STQTabWidget::tabBar()
{
    QTabBar *bar = static_cast<QTabWidget *>(checkedWidget("QTabWidget"))->tabBar();
    if (!bar)
        raiseError(tabBarNotDefined);
    return bar;
}
