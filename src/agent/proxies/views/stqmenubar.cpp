#include "stqmenubar.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

const char invalidMenuPath[] = "Invalid menu path";
// The path element in place of %1.
const char couldNotFind[] = "Could not find %1";
const char elementIsDisabled[] = "%1 is disabled";

} // namespace

void STQMenuBar::activate(const QVariant &first, const QVariant &second)
{
    QStringList path = menuPathArgument(first, second);
    QPointer<QMenuBar> bar = static_cast<QMenuBar *>(checkedWidget("QMenuBar"));
    const QPointer<QAction> item = findMenuAction(path, bar->actions());
    if (!item || !item->isEnabled() || !item->menu())
        raiseError(invalidMenuPath);

    // A click on the bar's far end first, where no menu title lies: it activates the
    // window and ends any keyboard navigation the bar was in.
    mouseClick(bar->mapToGlobal(bar->rect().topRight()), Qt::LeftButton);
    if (!bar || !item || !item->menu())
        raiseError(invalidMenuPath);
    bar->setActiveAction(item);
    flush();

    path.removeFirst();
    // Two Escapes on failure: one closes the menu, the other takes the bar out of the
    // keyboard navigation that closing a menu by key leaves it in.
    chooseMenuItem(path, item->menu(), second, 2);
}

QStringList STQMenuBar::pseudoPropertyNames()
{
    return withItemGlobalRect({QStringLiteral("itemList"), QStringLiteral("pathChecked"),
                               QStringLiteral("pathDisabled")});
}

QVariant STQMenuBar::pseudoProperty(const char *name, const QVariant &parameter)
{
    if (qstrcmp(name, "itemList") == 0)
        return itemList(checkedWidget("QMenuBar")->actions());
    if (qstrcmp(name, "pathChecked") == 0)
        return pathChecked(parameter);
    if (qstrcmp(name, "pathDisabled") == 0)
        return pathDisabled(parameter);
    if (qstrcmp(name, "itemGlobalRect") == 0)
        return menuItemGlobalRect(parameter, checkedWidget("QMenuBar"));
    return QVariant();
}

bool STQMenuBar::pathChecked(const QVariant &parameter)
{
    QStringList path = menuPathParameter(parameter);
    const QWidget *bar = checkedWidget("QMenuBar");

    // Every item passed through must be enabled, as it must be for a user to get there.
    const QAction *item =
        followMenuPath(path, bar->actions(), [](const QAction *passed, const QString &, int) {
            // An item without a submenu ends the way: that is an invalid item.
            if (passed->menu() && !passed->isEnabled())
                raiseError(ItemIsDisabled);
        });
    if (!item)
        raiseError(InvalidItem);
    if (!item->isCheckable())
        raiseError(ItemNotCheckable);
    return item->isChecked();
}

bool STQMenuBar::pathDisabled(const QVariant &parameter)
{
    QStringList path = menuPathParameter(parameter);
    const QWidget *bar = checkedWidget("QMenuBar");

    // The messages name the element where the way stopped. The top-level item's own state
    // does not matter; items between it and the final one must be enabled.
    const QAction *item = followMenuPath(
        path, bar->actions(), [](const QAction *passed, const QString &element, int depth) {
            if (depth > 0 && !passed->isEnabled())
                raiseWith(elementIsDisabled, element);
        });
    if (!item)
        raiseWith(couldNotFind, path.first());
    return !item->isEnabled();
}
