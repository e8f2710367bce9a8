#pragma once

#include "proxies/framework/stwidgetproxy.h"

class QTabBar;

// Tab bars: a tab is chosen by text or index and clicked where the bar draws it; the tab
// texts and tool tips are readable as pseudo properties.
class STQTabBar : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

protected:
    // The bar whose tabs are clicked and read: the bound widget itself here, the tab
    // widget's own bar in STQTabWidget.
    virtual QTabBar *tabBar();
    // The rectangle of the tab named by text or index, in the bar; an unknown tab is refused.
    QRect tabRect(QTabBar *bar, const QVariant &tab);
    // The same, after a tab past either end of a bar too narrow for its tabs was brought
    // into view as a person does it: with the bar's scroll buttons, one click at a time.
    QRect tabInView(QTabBar *bar, const QVariant &tab);

private:
    // The extended mode's answer to a tab text that no tab reads: the tabs' texts.
    [[noreturn]] void unknownTabText(QTabBar *bar, const QString &text);
};
