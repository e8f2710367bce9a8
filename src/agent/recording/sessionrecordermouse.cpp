// The intent resolver for the mouse: what a press, release or double click meant.

#include "sessionrecorder.h"

#include "recordedfields.h"

#include "qtcompat.h"
#include "addressing/widgetaddressing.h"
#include "addressing/widgetcatalog.h"
#include "protocol/mnemonics.h"
#include "proxies/controls/stqtoolbox.h"
#include "proxies/framework/mousecommand.h"
#include "proxies/views/stmenupathproxy.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QColumnView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBox>

using namespace RecordedFields;

namespace {

// The open menu or the menu bar whose item opened the menu: the bar, or a visible menu
// that holds the menu's own action.
QWidget *menuOpener(const QMenu *menu)
{
    const QList<QWidget *> holders = QtCompat::associatedWidgets(menu->menuAction());
    for (QWidget *holder : holders) {
        if (holder != menu && qobject_cast<QMenu *>(holder) && holder->isVisible())
            return holder;
    }
    for (QWidget *holder : holders) {
        if (qobject_cast<QMenuBar *>(holder) && holder->isVisible())
            return holder;
    }
    return nullptr;
}

// The check state a click leaves a checkable menu item in, before the item has taken it.
bool stateAfterTrigger(const QAction *item)
{
    const QActionGroup *group = item->actionGroup();
    if (item->isChecked() && group && group->isExclusive())
        return true;
    return !item->isChecked();
}

// The state a click leaves a checkable button in, before the button has handled it.
bool stateAfterClick(const QAbstractButton *button)
{
    if (button->isChecked() && button->autoExclusive())
        return true;
    return !button->isChecked();
}

// The item view whose item lies under a press on the widget, with the item; a column
// view's columns are driven through the column view.
QAbstractItemView *itemViewAt(QWidget *receiver, const QPoint &pos, QModelIndex *index)
{
    auto *view = qobject_cast<QAbstractItemView *>(receiver->parentWidget());
    if (!view || view->viewport() != receiver || qobject_cast<QHeaderView *>(view))
        return nullptr;
    *index = view->indexAt(pos);
    if (!index->isValid())
        return nullptr;
    if (auto *columns = qobject_cast<QColumnView *>(
            view->parentWidget() ? view->parentWidget()->parentWidget() : nullptr))
        return columns;
    return view;
}

// Whether the click adds to the selection of a view that selects ranges.
bool extendsSelection(const QAbstractItemView *view, const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton ||
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        return false;
    return view->selectionMode() == QAbstractItemView::ExtendedSelection ||
           view->selectionMode() == QAbstractItemView::ContiguousSelection;
}

QString clickCommand(int action, Qt::MouseButton button, const QPoint &pos, const QWidget *widget,
                     Qt::KeyboardModifiers modifiers)
{
    return MouseCommand::write(MouseCommand::Action(action), button, pos, widget->size(),
                               modifiers);
}

} // namespace

void SessionRecorder::mousePressed(QWidget *receiver, QMouseEvent *event)
{
    press = Press();
    pressedMenu = enclosing<QMenu>(receiver);
    if (QComboBox *combo = comboOfPopup(receiver)) {
        // A choice in the list is recorded when the combo box reports it (comboActivated).
        if (!openCombo.widget)
            watchCombo(combo);
        return;
    }
    // A menu chooses on the release; pressing the bar only opens a menu.
    if (pressedMenu || enclosing<QMenuBar>(receiver))
        return;
    if (QWidget *field = fieldOf(receiver)) {
        // Clicking into a field only gives it the focus; what it ends with is the step.
        if (field != typing.field) {
            flushTyping();
            startTyping(field);
        }
        if (auto *combo = qobject_cast<QComboBox *>(field))
            watchCombo(combo);
        return;
    }
    if (auto *combo = enclosing<QComboBox>(receiver)) {
        watchCombo(combo);
        return;
    }
    if (qobject_cast<QTabBar *>(receiver)) {
        tabPressed(receiver, event);
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        QModelIndex index;
        if (QAbstractItemView *view = itemViewAt(receiver, QtCompat::localPos(event), &index)) {
            itemPressed(view, index, receiver, event);
            return;
        }
    }
    if (!pressedOnControl(receiver, event))
        return;
    QWidget *aimed = receiver;
    QPoint pos = QtCompat::localPos(event);
    auto *button = enclosing<QAbstractButton>(receiver);
    if (button && event->button() == Qt::LeftButton) {
        aimed = button;
        pos = receiver->mapTo(button, pos);
    } else if (auto *area = qobject_cast<QAbstractScrollArea *>(receiver->parentWidget())) {
        // A scroll area, or an item view away from its items: the click is on the area.
        if (area->viewport() == receiver) {
            aimed = area;
            pos = receiver->mapTo(area, pos);
        }
    }
    press.target = Target::of(aimed);
    press.onButton = aimed == button;
    press.button = event->button();
    press.modifiers = event->modifiers();
    press.pos = pos;
}

bool SessionRecorder::pressedOnControl(QWidget *receiver, QMouseEvent *event)
{
    // A checkable group box's title toggles it; a slider goes where it is dragged. Both are
    // steps of the release; anything else is looked at further.
    if (event->button() != Qt::LeftButton)
        return true;
    auto *group = qobject_cast<QGroupBox *>(receiver);
    press.onGroupTitle = group && group->isCheckable() &&
                         QtCompat::localPos(event).y() < group->contentsRect().top();
    press.onSlider = qobject_cast<QSlider *>(receiver) != nullptr;
    if (!press.onGroupTitle && !press.onSlider)
        return true;
    press.target = Target::of(receiver);
    press.button = event->button();
    press.pos = QtCompat::localPos(event);
    return false;
}

void SessionRecorder::tabPressed(QWidget *receiver, QMouseEvent *event)
{
    auto *bar = static_cast<QTabBar *>(receiver);
    if (event->button() != Qt::LeftButton)
        return;
    const int index = bar->tabAt(QtCompat::localPos(event));
    if (index < 0 || index == bar->currentIndex() || !bar->isTabEnabled(index))
        return;
    // A tab bar that belongs to a tab widget is driven through the tab widget.
    QWidget *owner = bar;
    if (auto *tabs = qobject_cast<QTabWidget *>(bar->parentWidget())) {
        if (tabs->tabBar() == bar)
            owner = tabs;
    }
    const Target target = Target::of(owner);
    if (target.isValid()) {
        append(RecordedSteps::activate(
            target, {QStringLiteral("s:") + Mnemonics::shownText(bar->tabText(index))}));
    }
}

void SessionRecorder::mouseReleased(QWidget *receiver, QMouseEvent *event)
{
    const Press pressed = press;
    press = Press();
    if (QMenu *menu = enclosing<QMenu>(receiver)) {
        if (menu == pressedMenu)
            menuItemChosen(menu, menu->actionAt(menu->mapFromGlobal(QtCompat::globalPos(event))));
        pressedMenu = nullptr;
        return;
    }
    if (!pressed.target.isValid() || event->button() != pressed.button)
        return;
    QWidget *aimed = pressed.target.widget;
    const QPoint pos = aimed->mapFromGlobal(QtCompat::globalPos(event));
    const bool inside = aimed->rect().contains(pos);
    if (pressed.onSlider) {
        // The value the slider ends at is read once it has handled the release.
        const int value = static_cast<QSlider *>(aimed)->value();
        appendUnsettled(RecordedSteps::activate(pressed.target,
                                                {QStringLiteral("i:") + QString::number(value)}),
                        aimed, Settle::Value);
    } else if (pressed.onGroupTitle) {
        if (inside && pos.y() < aimed->contentsRect().top()) {
            const bool checked = !static_cast<QGroupBox *>(aimed)->isChecked();
            appendUnsettled(
                RecordedSteps::activate(pressed.target, {RecordedSteps::checkValue(checked)}),
                aimed, Settle::State);
        }
    } else if (pressed.onButton) {
        // A button released outside itself is not clicked.
        if (inside)
            recordButton(pressed);
    } else if (inside) {
        lastClickStep = append(RecordedSteps::mouse(
            pressed.target, clickCommand(MouseCommand::Click, pressed.button, pressed.pos, aimed,
                                         pressed.modifiers)));
        lastClickWidget = aimed;
    } else {
        dragged(pressed, receiver, event);
    }
}

void SessionRecorder::dragged(const Press &pressed, QWidget *receiver, QMouseEvent *event)
{
    // Pressed in one place, released in another.
    append(RecordedSteps::mouse(pressed.target,
                                clickCommand(MouseCommand::Press, pressed.button, pressed.pos,
                                             pressed.target.widget, pressed.modifiers)));
    const Target target = Target::of(receiver);
    if (target.isValid()) {
        append(RecordedSteps::mouse(
            target, clickCommand(MouseCommand::Release, pressed.button,
                                 receiver->mapFromGlobal(QtCompat::globalPos(event)), receiver,
                                 event->modifiers())));
    }
}

void SessionRecorder::itemPressed(QAbstractItemView *view, const QModelIndex &index,
                                  QWidget *receiver, QMouseEvent *event)
{
    // The view makes the item current on the press; the activate does so by keyboard. A
    // right press goes on as the view's mouse command at its current item, which opens
    // the item's context menu.
    Target target = Target::of(view);
    if (!target.isValid())
        return;
    if (extendsSelection(view, event)) {
        // Not a step that would select otherwise: a comment that says what is missing.
        if (!target.resolve())
            return;
        const QString click = event->modifiers() & Qt::ShiftModifier ? QStringLiteral("Shift")
                                                                     : QStringLiteral("Ctrl");
        append(RecordedSteps::comment(
            target, QStringLiteral("not recorded: a %1-click on %2 of %3, which extends "
                                   "the selection")
                        .arg(click, RecordedSteps::itemActivateValues(view, index).first().mid(2),
                             target.address)));
        return;
    }
    append(RecordedSteps::activate(target, RecordedSteps::itemActivateValues(view, index)));
    if (event->button() == Qt::RightButton)
        appendItemMouse(target, MouseCommand::Click, receiver, event);
}

void SessionRecorder::appendItemMouse(const Target &target, int action, QWidget *receiver,
                                      QMouseEvent *event)
{
    // The view aims at its current item itself; the point is kept for the reader.
    append(RecordedSteps::mouse(target,
                                MouseCommand::write(MouseCommand::Action(action), event->button(),
                                                    QtCompat::localPos(event), receiver->size(),
                                                    event->modifiers(), MouseCommand::ItemView)));
}

void SessionRecorder::mouseDoubleClicked(QWidget *receiver, QMouseEvent *event)
{
    // On an item, the press before made it current: the double click is the view's.
    QModelIndex index;
    if (event->button() == Qt::LeftButton) {
        if (QAbstractItemView *view = itemViewAt(receiver, QtCompat::localPos(event), &index)) {
            press = Press();
            const Target target = Target::of(view);
            if (target.isValid()) {
                appendItemMouse(target, MouseCommand::DoubleClick, receiver, event);
                lastClickStep = recorded.size() - 1;
                lastClickWidget = view;
            }
            return;
        }
    }
    // A button takes the second press of a double click as a press: it is clicked again.
    mousePressed(receiver, event);
    if (press.onButton || !press.target.isValid())
        return;
    // Anything else: the click just recorded becomes a double click, and the release
    // that follows is not one more.
    if (lastClickStep == recorded.size() - 1 && lastClickStep >= 0 &&
        lastClickWidget == press.target.widget) {
        recorded[lastClickStep].values = QStringList{
            QStringLiteral("s:") + clickCommand(MouseCommand::DoubleClick, press.button, press.pos,
                                                press.target.widget, press.modifiers)};
        lastClickStep = -1;
        press = Press();
    }
}

void SessionRecorder::recordButton(const Press &pressed)
{
    auto *button = static_cast<QAbstractButton *>(pressed.target.widget.data());
    // A tool box's page header opens its page: the tool box is driven by the header's name.
    if (QToolBox *box = STQToolBox::toolBoxOfHeader(button)) {
        const Target owner = Target::of(box);
        if (owner.isValid())
            append(RecordedSteps::activate(owner,
                                           {QStringLiteral("s:") + STQToolBox::pageName(button)}));
        return;
    }
    if (!button->isCheckable()) {
        append(RecordedSteps::activate(pressed.target));
        return;
    }
    appendUnsettled(RecordedSteps::activate(pressed.target,
                                            {RecordedSteps::checkValue(stateAfterClick(button))}),
                    button, Settle::State);
}

void SessionRecorder::menuShown(QMenu *menu)
{
    // Submenus and menus of the bar open from an item, not from the press.
    if (menuOpener(menu) || !press.target.isValid() || press.onButton)
        return;
    const Press pressed = press;
    press = Press();
    append(RecordedSteps::mouse(pressed.target,
                                clickCommand(MouseCommand::Click, pressed.button, pressed.pos,
                                             pressed.target.widget, pressed.modifiers)));
}

void SessionRecorder::menuItemChosen(QMenu *menu, QAction *item)
{
    // An item that opens a submenu, or that cannot be chosen, closes nothing.
    if (!item || item->isSeparator() || !item->isEnabled() || item->menu())
        return;
    QStringList path{STMenuPathProxy::menuElement(item, menu->actions(), WireText::Mode::Extended)};
    QWidget *opener = menuOpener(menu);
    QMenu *top = menu;
    while (auto *parentMenu = qobject_cast<QMenu *>(opener)) {
        path.prepend(STMenuPathProxy::menuElement(top->menuAction(), parentMenu->actions(),
                                                  WireText::Mode::Extended));
        top = parentMenu;
        opener = menuOpener(top);
    }
    Target target;
    if (auto *bar = qobject_cast<QMenuBar *>(opener)) {
        path.prepend(STMenuPathProxy::menuElement(top->menuAction(), bar->actions(),
                                                  WireText::Mode::Extended));
        target = Target::of(bar);
    } else {
        // A popup menu is driven while it is open: it is the active popup then.
        target.widget = top;
        target.window = WidgetAddressing::popupWindowName;
        target.address = WidgetCatalog::widgetAddress(top, target.window);
        target.resolved = true;
    }
    if (!target.isValid())
        return;
    const QString chosen = QStringLiteral("s:") + path.join(QLatin1Char('/'));
    if (!item->isCheckable()) {
        append(RecordedSteps::activate(target, {chosen}));
        return;
    }
    appendUnsettled(RecordedSteps::activate(
                        target, {chosen, RecordedSteps::checkValue(stateAfterTrigger(item))}),
                    item, Settle::State);
}
