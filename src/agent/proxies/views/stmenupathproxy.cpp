#include "stmenupathproxy.h"

#include "protocol/mnemonics.h"
#include "proxies/framework/sterror.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

const QString positionPrefix = QStringLiteral("Item ");
const char positionName[] = "Item %1";

// Down presses per action of the menu before the highlight loop gives up: an item the
// keyboard cannot reach costs a bounded number of presses, never a hung request. The walk
// then goes on from whatever is highlighted.
constexpr int highlightPressesPerAction = 10;

bool isCounted(const QAction *item)
{
    return item->isVisible() && !item->isSeparator();
}

} // namespace

QString STMenuPathProxy::menuActionText(const QAction *item, WireText::Mode mode)
{
    if (!item || item->isSeparator())
        return QString();
    return Mnemonics::withoutMnemonic(item->text(), mode).simplified();
}

QString STMenuPathProxy::menuElement(const QAction *item, const QList<QAction *> &items,
                                     WireText::Mode mode)
{
    const QString text = menuActionText(item, mode);
    if (!text.isEmpty())
        return text;
    int position = 0;
    for (const QAction *other : items) {
        if (isCounted(other))
            ++position;
        if (other == item)
            break;
    }
    return positionPrefix + QString::number(position);
}

QAction *STMenuPathProxy::findMenuAction(QStringList &path, const QList<QAction *> &items) const
{
    if (items.isEmpty() || path.isEmpty())
        return nullptr;
    const QString first = path.first();

    // "Item x" is positional or nothing: no item is looked up by that text.
    if (first.startsWith(positionPrefix)) {
        bool ok = false;
        const int position = QStringView(first).mid(positionPrefix.size()).toInt(&ok, 10);
        if (!ok)
            return nullptr;
        int counted = 0;
        for (QAction *item : items) {
            if (isCounted(item) && ++counted == position)
                return item;
        }
        return nullptr;
    }

    for (QAction *item : items) {
        if (isCounted(item) && menuActionText(item, mode) == first)
            return item;
    }

    // A text holding '/' was split with the path: join as many elements as it has parts.
    for (QAction *item : items) {
        if (!isCounted(item))
            continue;
        const QString text = menuActionText(item, mode);
        const int slashes = text.count(QLatin1Char('/'));
        if (slashes == 0 || path.size() <= slashes)
            continue;
        if (QStringList(path.mid(0, slashes + 1)).join(QLatin1Char('/')) != text)
            continue;
        path.erase(path.begin() + 1, path.begin() + slashes + 1);
        path.first() = text;
        return item;
    }
    return nullptr;
}

QStringList STMenuPathProxy::menuItemPaths(const QString &prefix, const QAction *item) const
{
    QStringList paths;
    QSet<const QMenu *> branch;
    collectItemPaths(paths, prefix, item, branch);
    return paths;
}

void STMenuPathProxy::collectItemPaths(QStringList &paths, const QString &prefix,
                                       const QAction *item, QSet<const QMenu *> &branch) const
{
    const QMenu *submenu = item ? item->menu() : nullptr;
    // A menu that (through its items) contains itself is listed once, not forever.
    if (!submenu || branch.contains(submenu)) {
        paths.append(prefix);
        return;
    }
    branch.insert(submenu);
    int position = 0;
    const QList<QAction *> children = submenu->actions();
    for (const QAction *child : children) {
        if (!isCounted(child))
            continue;
        ++position;
        QString name = menuActionText(child, mode);
        if (name.isEmpty())
            name = QString::fromLatin1(positionName).arg(position);
        collectItemPaths(paths, prefix + QLatin1Char('/') + name, child, branch);
    }
    branch.remove(submenu);
}

const QAction *STMenuPathProxy::followMenuPath(QStringList &path, QList<QAction *> items,
                                               const PassingCheck &passing) const
{
    for (int depth = 0;; ++depth) {
        const QAction *item = findMenuAction(path, items);
        if (!item)
            return nullptr;
        if (path.size() == 1) {
            path.removeFirst();
            return item;
        }
        passing(item, path.first(), depth);
        path.removeFirst();
        if (!item->menu())
            return nullptr;
        items = item->menu()->actions();
    }
}

QStringList STMenuPathProxy::itemList(const QList<QAction *> &items) const
{
    QStringList list;
    for (const QAction *item : items)
        list += menuItemPaths(menuActionText(item, mode), item);
    return list;
}

QStringList STMenuPathProxy::menuPathArgument(const QVariant &path, const QVariant &check)
{
    if (path.userType() != QMetaType::QString)
        typeError("string");
    if (check.isValid() && check.userType() != QMetaType::Bool)
        typeError("bool, none");
    return path.toString().split(QLatin1Char('/'), Qt::KeepEmptyParts);
}

QStringList STMenuPathProxy::menuPathParameter(const QVariant &path)
{
    if (path.userType() != QMetaType::QString)
        typeError("string");
    return path.toString().split(QLatin1Char('/'), Qt::KeepEmptyParts);
}

void STMenuPathProxy::chooseMenuItem(QStringList &path, QMenu *menu, const QVariant &check,
                                     int closingEscapes)
{
    QPointer<QMenu> open(menu);
    keyClick(Qt::Key_Down);
    try {
        walkMenuPath(path, open, check);
    } catch (const STError &error) {
        // An Escape with no menu open would reach whatever has the focus, a dialog say.
        // The bar's last Escape goes wherever the focus is once its menu has closed.
        if (open && open->isVisible()) {
            const UncheckedInput cleanup(this);
            for (int i = 0; i < closingEscapes; ++i)
                keyClick(Qt::Key_Escape);
        }
        if (error.message != QLatin1String(ItemAlreadyChecked))
            throw;
    }
}

void STMenuPathProxy::walkMenuPath(QStringList &path, QMenu *menu, const QVariant &check)
{
    // Key presses run the application's event handlers, which may close or delete menus.
    QPointer<QMenu> open(menu);
    if (!open)
        raiseError(NoFocus);
    QPointer<QAction> item = findMenuAction(path, open->actions());
    if (!item)
        raiseError(InvalidItem);
    if (!item->isEnabled())
        raiseError(ItemIsDisabled);

    const int presses = highlightPressesPerAction * open->actions().size();
    for (int i = 0; i < presses && open && item && open->activeAction() != item; ++i)
        keyClick(Qt::Key_Down);
    if (!open || !item)
        raiseError(NoFocus);
    path.removeFirst();

    if (path.isEmpty()) {
        if (check.userType() == QMetaType::Bool) {
            if (!item->isCheckable())
                raiseError(ItemNotCheckable);
            if (item->isChecked() == check.toBool())
                raiseError(ItemAlreadyChecked);
        }
        // Queued, not handled: the action may open a modal dialog, whose event loop would
        // hold this request's reply back until the dialog closed.
        flushEvents = false;
        keyClick(Qt::Key_Return);
        return;
    }

    QPointer<QMenu> submenu = item->menu();
    if (!submenu)
        raiseError(InvalidItem);
    keyClick(Qt::Key_Right);
    try {
        walkMenuPath(path, submenu, check);
    } catch (const STError &) {
        if (submenu && submenu->isVisible()) {
            const UncheckedInput cleanup(this);
            keyClick(Qt::Key_Escape);
        }
        throw;
    }
}

QRect STMenuPathProxy::menuItemGlobalRect(const QVariant &parameter, QWidget *owner)
{
    QStringList path = menuPathParameter(parameter);
    const QAction *above = nullptr;
    const QAction *item =
        followMenuPath(path, owner->actions(),
                       [&above](const QAction *passed, const QString &, int) { above = passed; });
    if (!item)
        raiseError(InvalidItem);
    QWidget *shownIn = above ? above->menu() : owner;
    if (!shownIn || !shownIn->isVisible())
        return QRect();
    QRect rect;
    if (auto *bar = qobject_cast<QMenuBar *>(shownIn))
        rect = bar->actionGeometry(const_cast<QAction *>(item));
    else if (auto *menu = qobject_cast<QMenu *>(shownIn))
        rect = menu->actionGeometry(const_cast<QAction *>(item));
    return rect.translated(shownIn->mapToGlobal(QPoint(0, 0)));
}
