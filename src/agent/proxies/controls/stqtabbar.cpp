#include "stqtabbar.h"

#include <QTabBar>

QTabBar *STQTabBar::tabBar()
{
    return static_cast<QTabBar *>(checkedWidget("QTabBar"));
}

QRect STQTabBar::tabRect(QTabBar *bar, const QVariant &tab)
{
    if (tab.userType() != QMetaType::QString && tab.userType() != QMetaType::Int)
        typeError("string, integer");

    // Qt answers an index out of range with a null rectangle; an unknown text is the same.
    QRect rect;
    if (tab.userType() == QMetaType::Int) {
        rect = bar->tabRect(tab.toInt());
    } else {
        const QString text = tab.toString();
        for (int i = 0; i < bar->count(); ++i) {
            if (stripMnemonic(bar->tabText(i)) == text) {
                rect = bar->tabRect(i);
                break;
            }
        }
    }
    if (rect.isNull())
        rangeError("[0, %d]", bar->count() - 1);
    return rect;
}

void STQTabBar::activate(const QVariant &first, const QVariant & /*second*/)
{
    QTabBar *bar = tabBar();
    const QRect tab = tabRect(bar, first);
    // The current tab is clicked again too: harmless, and the same for every request.
    flushEvents = false;
    clickCentre(bar, tab);
}

QStringList STQTabBar::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("itemList"), QStringLiteral("toolTipList"),
                               QStringLiteral("currentText"), QStringLiteral("currentToolTip")});
}

QVariant STQTabBar::pseudoProperty(const char *name, const QVariant &parameter)
{
    // A tab widget's texts and tool tips are those of its bar.
    QTabBar *bar = tabBar();
    const QByteArray property(name);
    if (property == "itemList" || property == "toolTipList") {
        const bool tips = property == "toolTipList";
        QStringList items;
        for (int i = 0; i < bar->count(); ++i)
            items.append(stripMnemonic(tips ? bar->tabToolTip(i) : bar->tabText(i)));
        return items;
    }
    if (property == "currentText")
        return stripMnemonic(bar->tabText(bar->currentIndex()));
    // The tool tip of the current tab is given as it stands, ampersands included.
    if (property == "currentToolTip")
        return bar->tabToolTip(bar->currentIndex());
    if (property == "itemGlobalRect") {
        const QRect tab = tabRect(bar, parameter);
        return QRect(bar->mapToGlobal(tab.topLeft()), tab.size());
    }
    return QVariant();
}
