#include "stqmenu.h"

#include "proxies/framework/sterror.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

const char cannotReachLastItem[] = "Could not reach last item of path";

} // namespace

void STQMenu::activate(const QVariant &first, const QVariant &second)
{
    QStringList path = menuPathArgument(first, second);
    auto *menu = static_cast<QMenu *>(checkedWidget("QMenu"));
    // Keys go to the active popup: any other menu would not see them.
    if (QApplication::activePopupWidget() != menu)
        raiseError(NoFocus);
    chooseMenuItem(path, menu, second, 1);
}

QStringList STQMenu::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("itemList"), QStringLiteral("pathDisabled")});
}

QVariant STQMenu::pseudoProperty(const char *name, const QVariant &parameter)
{
    if (qstrcmp(name, "itemList") == 0)
        return itemList(checkedWidget("QMenu")->actions());
    if (qstrcmp(name, "pathDisabled") == 0)
        return pathDisabled(parameter);
    if (qstrcmp(name, "itemGlobalRect") == 0)
        return menuItemGlobalRect(parameter, checkedWidget("QMenu"));
    return QVariant();
}

bool STQMenu::pathDisabled(const QVariant &parameter)
{
    QStringList path = menuPathParameter(parameter);
    const QMenu *menu = static_cast<QMenu *>(checkedWidget("QMenu"));

    // Only the final item's state is asked for, so the first level may be disabled; a
    // disabled item further down still blocks the way to the items below it.
    const QAction *item = followMenuPath(path, menu->actions(),
                                         [](const QAction *passed, const QString &, int depth) {
                                             if (depth > 0 && !passed->isEnabled())
                                                 raiseError(cannotReachLastItem);
                                         });
    if (!item)
        raiseError(cannotReachLastItem);
    return !item->isEnabled();
}
