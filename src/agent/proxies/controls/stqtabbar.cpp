#include "stqtabbar.h"

#include <QTabBar>

QTabBar *STQTabBar::tabBar()
{
    return static_cast<QTabBar *>(checkedWidget("QTabBar"));
}

void STQTabBar::activate(const QVariant &first, const QVariant & /*second*/)
{
    QTabBar *bar = tabBar();
    if (first.userType() != QMetaType::QString && first.userType() != QMetaType::Int)
        typeError("string, integer");

    // Qt answers an index out of range with a null rectangle; an unknown text is the same.
    QRect tab;
    if (first.userType() == QMetaType::Int) {
        tab = bar->tabRect(first.toInt());
    } else {
        const QString text = first.toString();
        for (int i = 0; i < bar->count(); ++i) {
            if (stripMnemonic(bar->tabText(i)) == text) {
                tab = bar->tabRect(i);
                break;
            }
        }
    }
    if (tab.isNull())
        rangeError("[0, %d]", bar->count() - 1);

    // The current tab is clicked again too: harmless, and the same for every request.
    flushEvents = false;
    clickCentre(bar, tab);
}

QStringList STQTabBar::pseudoPropertyNames()
{
    return QStringList{QStringLiteral("itemList"), QStringLiteral("toolTipList"),
                       QStringLiteral("currentText"), QStringLiteral("currentToolTip")};
}

QVariant STQTabBar::pseudoProperty(const char *name, const QVariant & /*parameter*/)
{
    // A tab widget's texts and tool tips are those of its bar.
    const QTabBar *bar = tabBar();
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
    return QVariant();
}
