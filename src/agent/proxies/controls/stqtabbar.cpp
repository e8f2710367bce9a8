#include "stqtabbar.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QTabBar>
#include <QToolButton>

namespace {

const char noTabReads[] = "Error: no tab of widget \"%1\" of class \"%2\" reads \"%3\"; %4";

// Whether the centre of a tab, where it is clicked, shows: inside the bar and not under one
// of the scroll buttons that a bar too narrow for its tabs puts at its end.
bool tabShows(const QTabBar *bar, const QRect &tab)
{
    const QPoint centre = tab.center();
    if (!bar->rect().contains(centre))
        return false;
    const auto buttons = bar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QToolButton *button : buttons) {
        if (button->isVisible() && button->geometry().contains(centre))
            return false;
    }
    return true;
}

bool vertical(const QTabBar *bar)
{
    switch (bar->shape()) {
    case QTabBar::RoundedWest:
    case QTabBar::RoundedEast:
    case QTabBar::TriangularWest:
    case QTabBar::TriangularEast:
        return true;
    default:
        return false;
    }
}

} // namespace

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
            if (withoutMnemonic(bar->tabText(i)) == text) {
                rect = bar->tabRect(i);
                break;
            }
        }
    }
    if (rect.isNull() && tab.userType() == QMetaType::QString && extendedMode())
        unknownTabText(bar, tab.toString());
    if (rect.isNull())
        rangeError("[0, %d]", bar->count() - 1);
    return rect;
}

void STQTabBar::unknownTabText(QTabBar *bar, const QString &text)
{
    // A text that no tab reads is most often a typo or a tab renamed: show what they read.
    QStringList tabs;
    for (int i = 0; i < bar->count(); ++i)
        tabs.append(QLatin1Char('"') + withoutMnemonic(bar->tabText(i)) + QLatin1Char('"'));
    const QString readings = tabs.isEmpty() ? QStringLiteral("it has no tabs")
                                            : QLatin1String("the tabs read ") + tabs.join(", ");
    const QWidget *proxied = checkedWidget();
    raiseWith(noTabReads, proxied->objectName(), QLatin1String(proxied->metaObject()->className()),
              text, readings);
}

void STQTabBar::activate(const QVariant &first, const QVariant & /*second*/)
{
    QTabBar *bar = tabBar();
    const QRect tab = tabInView(bar, first);
    // The current tab is clicked again too: harmless, and the same for every request.
    flushEvents = false;
    clickCentre(tabBar(), tab);
}

QRect STQTabBar::tabInView(QTabBar *bar, const QVariant &tab)
{
    QRect rect = tabRect(bar, tab);
    for (int click = 0; click < bar->count() && !tabShows(bar, rect); ++click) {
        // Tabs before the first one shown lie at negative positions.
        const int along = vertical(bar) ? rect.center().y() : rect.center().x();
        const char *name = along >= 0 ? "ScrollRightButton" : "ScrollLeftButton";
        auto *button =
            bar->findChild<QToolButton *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        if (!button || !button->isVisible() || !button->isEnabled())
            break;
        clickCentre(button, button->rect());
        bar = tabBar();
        const QRect moved = tabRect(bar, tab);
        if (moved == rect)
            break;
        rect = moved;
    }
    return rect;
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
            items.append(withoutMnemonic(tips ? bar->tabToolTip(i) : bar->tabText(i)));
        return items;
    }
    if (property == "currentText")
        return withoutMnemonic(bar->tabText(bar->currentIndex()));
    // The tool tip of the current tab is given as it stands, ampersands included.
    if (property == "currentToolTip")
        return bar->tabToolTip(bar->currentIndex());
    if (property == "itemGlobalRect") {
        const QRect tab = tabRect(bar, parameter);
        return QRect(bar->mapToGlobal(tab.topLeft()), tab.size());
    }
    return QVariant();
}
