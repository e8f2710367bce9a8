#include "sessionrecorder.h"

#include "agentrequests.h"
#include "recordedfields.h"

#include "qtcompat.h"
#include "addressing/widgetcatalog.h"
#include "protocol/mnemonics.h"
#include "protocol/wiretext.h"
#include "proxies/views/stmenupathproxy.h"
#include "proxies/views/stqtreeview.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QColumnView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBox>
#include <QTreeView>

using namespace RecordedFields;

namespace {

// The element of a menu path that names the item among the items of its menu or bar: its
// text as the menu proxy compares it, or "Item N" for an item without text, N counting
// the visible items that are not separators from 1.
QString menuElement(const QAction *item, const QList<QAction *> &items)
{
    const QString text = STMenuPathProxy::menuActionText(item, WireText::Mode::Extended);
    if (!text.isEmpty())
        return text;
    int position = 0;
    for (const QAction *other : items) {
        if (other->isVisible() && !other->isSeparator())
            ++position;
        if (other == item)
            break;
    }
    return QStringLiteral("Item ") + QString::number(position);
}

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

// A list item by its text as the extended mode lists it, or by its row where another item
// reads the same.
QString listItemName(const QListView *view, const QModelIndex &index)
{
    const QAbstractItemModel *model = index.model();
    const QString text = index.data(Qt::DisplayRole).toString();
    int same = 0;
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        if (model->index(row, view->modelColumn(), view->rootIndex())
                .data(Qt::DisplayRole)
                .toString() == text)
            ++same;
    }
    if (text.isEmpty() || same != 1)
        return QStringLiteral("i:") + QString::number(index.row());
    return QStringLiteral("s:") + STItemViewProxy::replyItemText(text, WireText::Mode::Extended);
}

// A table's row or column as the table proxy names it: its header text where that is
// unique (a header text wins over a number there), else its 1-based number.
QString tableSectionName(const QAbstractItemModel *model, Qt::Orientation axis, int section)
{
    const int count = axis == Qt::Horizontal ? model->columnCount() : model->rowCount();
    const QString own = model->headerData(section, axis, Qt::DisplayRole).toString();
    int same = 0;
    for (int other = 0; other < count; ++other) {
        if (model->headerData(other, axis, Qt::DisplayRole).toString() == own)
            ++same;
    }
    if (!own.isEmpty() && same == 1 && !own.contains(QLatin1Char(':')))
        return own;
    return QString::number(section + 1);
}

// The generic item view path below the view's root: "row[;column]" per level, 1-based.
QString modelPath(const QAbstractItemView *view, const QModelIndex &index)
{
    QStringList levels;
    for (QModelIndex level = index; level.isValid() && level != view->rootIndex();
         level = level.parent()) {
        QString element = QString::number(level.row() + 1);
        if (level.column() != 0)
            element += QLatin1Char(';') + QString::number(level.column() + 1);
        levels.prepend(element);
    }
    return levels.join(QLatin1Char('/'));
}

// The values of the activate that makes the item current in its view, as the view's
// proxy names it: a list item, a tree path, a table cell, else a model path selected alone.
QStringList itemActivateValues(const QAbstractItemView *view, const QModelIndex &index)
{
    if (const auto *tree = qobject_cast<const QTreeView *>(view)) {
        return {QStringLiteral("s:") +
                STQTreeView::itemPath(tree, index, WireText::Mode::Extended)};
    }
    if (qobject_cast<const QTableView *>(view)) {
        const QAbstractItemModel *model = index.model();
        return {QStringLiteral("s:") + tableSectionName(model, Qt::Vertical, index.row()) +
                QLatin1Char(':') + tableSectionName(model, Qt::Horizontal, index.column())};
    }
    if (const auto *list = qobject_cast<const QListView *>(view))
        return {listItemName(list, index)};
    return {QStringLiteral("s:") + modelPath(view, index), QStringLiteral("s:ClearAndSelect")};
}

// A click with Shift or Control in a view that selects ranges: it extends the selection (or
// toggles an item in it), which no activate of one item does.
bool extendsSelection(const QAbstractItemView *view, const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton ||
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        return false;
    return view->selectionMode() == QAbstractItemView::ExtendedSelection ||
           view->selectionMode() == QAbstractItemView::ContiguousSelection;
}

// The activate that makes the view's item current, as the request line of a step.
QString itemActivateRequest(const QString &window, const QString &address,
                            const QAbstractItemView *view, const QModelIndex &index)
{
    const QStringList values = itemActivateValues(view, index);
    QString request = requestLine(5, window, address, values.first());
    if (values.size() > 1)
        request += hexValue(values.at(1));
    return request;
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

// Walks from the widget that received an event up to the first one of class T, inside the
// receiver's window.
template <typename T> T *enclosing(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (T *found = qobject_cast<T *>(w))
            return found;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

QString buttonWord(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton:
        return QStringLiteral("RightButton");
    case Qt::MiddleButton:
        return QStringLiteral("MidButton");
    default:
        return QStringLiteral("LeftButton");
    }
}

// The mouse command knows one modifier.
QString modifierWord(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        return QStringLiteral("ShiftModifier");
    if (modifiers & Qt::ControlModifier)
        return QStringLiteral("ControlModifier");
    if (modifiers & Qt::AltModifier)
        return QStringLiteral("AltModifier");
    return QStringLiteral("NoModifier");
}

// A pixel's centre as a fraction of the size: the mouse command multiplies it back and
// truncates, so it finds the same pixel in any widget narrower than 10,000 pixels.
QString fraction(int pos, int size)
{
    return QString::number((pos + 0.5) / qMax(size, 1), 'f', 4);
}

QString mouseCommand(const QString &type, Qt::MouseButton button, const QPoint &pos,
                     const QSize &size, Qt::KeyboardModifiers modifiers)
{
    return type + QLatin1Char(':') + buttonWord(button) + QLatin1Char(':') +
           fraction(pos.x(), size.width()) + QLatin1Char(':') + fraction(pos.y(), size.height()) +
           QLatin1Char(':') + modifierWord(modifiers);
}

// The state a click leaves a checkable button in, before the button has handled it.
bool stateAfterClick(const QAbstractButton *button)
{
    if (button->isChecked() && button->autoExclusive())
        return true;
    return !button->isChecked();
}

} // namespace

SessionRecorder::SessionRecorder(QObject *parent)
    : QObject(parent),
      quick([this](const QString &window, const QString &address, const QString &request) {
          settleButton();
          endTyping(typing.target.widget ? fieldText(typing.target.widget) : QString());
          recorded.append({window, address, request});
      })
{
}

SessionRecorder::~SessionRecorder()
{
    stop();
}

void SessionRecorder::start()
{
    if (recording)
        return;
    // A recording starts empty; the steps of the one before stay until then.
    recorded.clear();
    typing = Typing();
    quick.reset();
    lastClickStep = -1;
    navigationStep = -1;
    recording = true;
    qApp->installEventFilter(this);
}

void SessionRecorder::stop()
{
    if (!recording)
        return;
    settleButton();
    flushTyping();
    recording = false;
    if (qApp)
        qApp->removeEventFilter(this);
    press = Press();
    pressedMenu = nullptr;
    pendingShortcut = Shortcut();
    fieldReturn = FieldReturn();
    openCombo = Target();
    navigatedView = nullptr;
}

QVector<SessionRecorder::Step> SessionRecorder::steps()
{
    settleButton();
    quick.flushTyping();
    QVector<Step> all = recorded;
    const Step typed = typingStep();
    if (!typed.request.isEmpty())
        all.append(typed);
    return all;
}

void SessionRecorder::agentRequestStarts()
{
    flushTyping();
    quick.forgetPress();
    // A list the user opened and left: whatever the request chooses in it is not theirs.
    openCombo = Target();
    press = Press();
    pressedMenu = nullptr;
    pendingShortcut = Shortcut();
    fieldReturn = FieldReturn();
}

void SessionRecorder::flushTyping()
{
    quick.flushTyping();
    endTyping(typing.target.widget ? fieldText(typing.target.widget) : QString());
}

void SessionRecorder::endTyping(const QString &text)
{
    const Step typed = typingStep(text);
    typing = Typing();
    if (!typed.request.isEmpty())
        recorded.append(typed);
}

SessionRecorder::Step SessionRecorder::typingStep() const
{
    return typing.target.widget ? typingStep(fieldText(typing.target.widget)) : Step();
}

SessionRecorder::Step SessionRecorder::typingStep(const QString &text) const
{
    if (!typing.target.isValid() || text == typing.startText)
        return Step();
    const Target &field = typing.target;
    if (hidesText(field.widget))
        return {field.window, field.address, requestLine(6, field.window, field.address), true};
    return {field.window, field.address,
            requestLine(6, field.window, field.address, QStringLiteral("s:") + text)};
}

SessionRecorder::Target SessionRecorder::targetOf(QWidget *widget)
{
    Target target;
    if (!widget)
        return target;
    target.widget = widget;
    target.window = WidgetCatalog::windowAddress(widget->window());
    if (!target.window.isEmpty())
        target.address = WidgetCatalog::widgetAddress(widget, target.window);
    return target;
}

int SessionRecorder::append(const Target &target, const QString &request)
{
    settleButton();
    flushTyping();
    recorded.append({target.window, target.address, request});
    return recorded.size() - 1;
}

void SessionRecorder::otherEventSeen(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Offered before the press, by Qt itself (never spontaneous): a shortcut it
        // triggers consumes the press, so the step waits for the user's release.
        if (watched->isWidgetType() && !AgentRequests::running() &&
            !isParentCopy(static_cast<QKeyEvent *>(event), static_cast<QWidget *>(watched)))
            shortcutOffered(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
        break;
    case QEvent::Shortcut:
        // The offered key triggers a shortcut: the text typed so far is a step before it,
        // read before the shortcut may change the field or take it away.
        if (pendingShortcut.target.widget && !AgentRequests::running())
            flushTyping();
        break;
    case QEvent::Show:
        // A context menu opened by the right press just recorded (its own event, not
        // spontaneous).
        if (press.button == Qt::RightButton && !AgentRequests::running() &&
            qobject_cast<QMenu *>(watched))
            menuShown(static_cast<QMenu *>(watched));
        break;
    case QEvent::FocusOut:
        // The text typed into a field is final when the field loses the focus. Read before
        // the field handles the event: a spin box may still correct it then, as it would
        // after the enter request types the same text.
        if (typing.target.widget && watched == typing.target.widget)
            flushTyping();
        break;
    default:
        break;
    }
}

bool SessionRecorder::eventFilter(QObject *watched, QEvent *event)
{
    // Every event of the application passes here while recording: anything not input
    // leaves at the switch. Nothing is ever filtered out.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Show:
    case QEvent::FocusOut:
        otherEventSeen(watched, event);
        return false;
    default:
        return false;
    }
    if (!event->spontaneous() || AgentRequests::running())
        return false;
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!isKey && quick.mouseEvent(watched, event))
        return false;
    if (!watched->isWidgetType())
        return false;

    auto *receiver = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->type() == lastMouseType && mouse->timestamp() == lastMouseTime &&
            QtCompat::globalPos(mouse) == lastMouseGlobal)
            return false; // the same event again, passed on to a parent
        lastMouseType = mouse->type();
        lastMouseTime = mouse->timestamp();
        lastMouseGlobal = QtCompat::globalPos(mouse);
        if (mouse->type() == QEvent::MouseButtonPress)
            mousePressed(receiver, mouse);
        else if (mouse->type() == QEvent::MouseButtonRelease)
            mouseReleased(receiver, mouse);
        else
            mouseDoubleClicked(receiver, mouse);
        break;
    }
    default: {
        // A key the focus widget ignores goes on to its parents as the same event.
        auto *key = static_cast<QKeyEvent *>(event);
        if (isParentCopy(key, receiver))
            return false;
        if (key->type() == QEvent::KeyRelease)
            keyReleased(key);
        else
            keyPressed(receiver, key);
        break;
    }
    }
    return false;
}

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
        if (field != typing.target.widget) {
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
    if (auto *bar = qobject_cast<QTabBar *>(receiver)) {
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
        const Target target = targetOf(owner);
        if (target.isValid()) {
            append(target,
                   requestLine(5, target.window, target.address,
                               QStringLiteral("s:") + Mnemonics::shownText(bar->tabText(index))));
        }
        return;
    }

    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        QModelIndex index;
        if (QAbstractItemView *view = itemViewAt(receiver, QtCompat::localPos(event), &index)) {
            itemPressed(view, index, receiver, event);
            return;
        }
    }

    if (event->button() == Qt::LeftButton) {
        // A checkable group box's title toggles it; a slider goes where it is dragged.
        auto *group = qobject_cast<QGroupBox *>(receiver);
        press.onGroupTitle = group && group->isCheckable() &&
                             QtCompat::localPos(event).y() < group->contentsRect().top();
        press.onSlider = qobject_cast<QSlider *>(receiver) != nullptr;
        if (press.onGroupTitle || press.onSlider) {
            press.target = targetOf(receiver);
            press.button = event->button();
            press.pos = QtCompat::localPos(event);
            return;
        }
    }

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
    press.target = targetOf(aimed);
    press.onButton = aimed == button;
    press.button = event->button();
    press.modifiers = event->modifiers();
    press.pos = pos;
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
        recordSlider(pressed);
        return;
    }
    if (pressed.onGroupTitle) {
        if (inside && pos.y() < aimed->contentsRect().top())
            recordGroupBox(pressed);
        return;
    }
    if (pressed.onButton) {
        // A button released outside itself is not clicked.
        if (inside)
            recordButton(pressed);
        return;
    }
    if (inside) {
        lastClickStep =
            append(pressed.target,
                   requestLine(9, pressed.target.window, pressed.target.address,
                               QStringLiteral("s:") +
                                   mouseCommand(QStringLiteral("MouseClick"), pressed.button,
                                                pressed.pos, aimed->size(), pressed.modifiers)));
        lastClickWidget = aimed;
        return;
    }
    // A drag: pressed in one place, released in another.
    append(pressed.target,
           requestLine(9, pressed.target.window, pressed.target.address,
                       QStringLiteral("s:") + mouseCommand(QStringLiteral("MousePress"),
                                                           pressed.button, pressed.pos,
                                                           aimed->size(), pressed.modifiers)));
    QWidget *releasedOn = receiver;
    const Target target = targetOf(releasedOn);
    if (target.isValid()) {
        append(target,
               requestLine(9, target.window, target.address,
                           QStringLiteral("s:") +
                               mouseCommand(QStringLiteral("MouseRelease"), pressed.button,
                                            releasedOn->mapFromGlobal(QtCompat::globalPos(event)),
                                            releasedOn->size(), event->modifiers())));
    }
}

void SessionRecorder::itemPressed(QAbstractItemView *view, const QModelIndex &index,
                                  QWidget *receiver, QMouseEvent *event)
{
    // The view makes the item current on the press; the activate does so by keyboard. A
    // right press goes on as the view's mouse command at its current item, which opens
    // the item's context menu.
    const Target target = targetOf(view);
    if (!target.isValid())
        return;
    if (extendsSelection(view, event)) {
        // Not a step that would select otherwise: a comment that says what is missing.
        const QString click = event->modifiers() & Qt::ShiftModifier ? QStringLiteral("Shift")
                                                                     : QStringLiteral("Ctrl");
        append(target,
               QStringLiteral("# not recorded: a %1-click on %2 of %3, which extends "
                              "the selection")
                   .arg(click, itemActivateValues(view, index).first().mid(2), target.address));
        return;
    }
    append(target, itemActivateRequest(target.window, target.address, view, index));
    if (event->button() == Qt::RightButton)
        appendItemMouse(target, QStringLiteral("MouseClick"), receiver, event);
}

void SessionRecorder::appendItemMouse(const Target &target, const QString &type, QWidget *receiver,
                                      QMouseEvent *event)
{
    // The view aims at its current item itself; the point is kept for the reader. The
    // item views' grammar takes no modifier as an empty one.
    QString command = mouseCommand(type, event->button(), QtCompat::localPos(event),
                                   receiver->size(), event->modifiers());
    if (!(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        command.chop(modifierWord(Qt::NoModifier).size());
    append(target, requestLine(9, target.window, target.address, QStringLiteral("s:") + command));
}

void SessionRecorder::mouseDoubleClicked(QWidget *receiver, QMouseEvent *event)
{
    // On an item, the press before made it current: the double click is the view's.
    QModelIndex index;
    if (event->button() == Qt::LeftButton) {
        if (QAbstractItemView *view = itemViewAt(receiver, QtCompat::localPos(event), &index)) {
            press = Press();
            const Target target = targetOf(view);
            if (target.isValid())
                appendItemMouse(target, QStringLiteral("MouseDoubleClick"), receiver, event);
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
        Step &step = recorded[lastClickStep];
        step.request =
            requestLine(9, step.window, step.address,
                        QStringLiteral("s:") +
                            mouseCommand(QStringLiteral("MouseDoubleClick"), press.button,
                                         press.pos, press.target.widget->size(), press.modifiers));
        lastClickStep = -1;
        press = Press();
    }
}

void SessionRecorder::recordGroupBox(const Press &pressed)
{
    auto *box = static_cast<QGroupBox *>(pressed.target.widget.data());
    const Target &target = pressed.target;
    const QString before = requestLine(5, target.window, target.address).chopped(1);
    const QString after = QStringLiteral(",");
    const int index = append(target, before + checkValue(!box->isChecked()) + after);
    unsettled = {index, box, before, after, false};
    QMetaObject::invokeMethod(this, &SessionRecorder::settleButton, Qt::QueuedConnection);
}

void SessionRecorder::recordSlider(const Press &pressed)
{
    // The value the slider ends at is read once it has handled the release.
    auto *slider = static_cast<QSlider *>(pressed.target.widget.data());
    const Target &target = pressed.target;
    const QString before = requestLine(5, target.window, target.address).chopped(1);
    const QString after = QStringLiteral(",");
    const int index = append(
        target, before + hexValue(QStringLiteral("i:") + QString::number(slider->value())) + after);
    unsettled = {index, slider, before, after, true};
    QMetaObject::invokeMethod(this, &SessionRecorder::settleButton, Qt::QueuedConnection);
}

void SessionRecorder::recordButton(const Press &pressed)
{
    auto *button = static_cast<QAbstractButton *>(pressed.target.widget.data());
    // A tool box's page header opens its page: the tool box is driven by the header's text
    // as shown.
    if (button->objectName() == QLatin1String("qt_toolbox_toolboxbutton")) {
        if (auto *box = qobject_cast<QToolBox *>(button->parentWidget())) {
            const Target owner = targetOf(box);
            if (owner.isValid()) {
                append(owner,
                       requestLine(5, owner.window, owner.address,
                                   QStringLiteral("s:") + Mnemonics::shownText(button->text())));
            }
            return;
        }
    }
    const Target &target = pressed.target;
    if (!button->isCheckable()) {
        append(target, requestLine(5, target.window, target.address));
        return;
    }
    // The state the button really ends in is known once it has handled the release; it
    // differs from the one foreseen where the application changes it in its slots. It is
    // read when the event loop comes round, or before the next step, whichever is first.
    const QString before = requestLine(5, target.window, target.address).chopped(1);
    const QString after = QStringLiteral(",");
    const int index = append(target, before + checkValue(stateAfterClick(button)) + after);
    unsettled = {index, button, before, after, false};
    QMetaObject::invokeMethod(this, &SessionRecorder::settleButton, Qt::QueuedConnection);
}

void SessionRecorder::menuShown(QMenu *menu)
{
    // Submenus and menus of the bar open from an item, not from the press.
    if (menuOpener(menu) || !press.target.isValid() || press.onButton)
        return;
    const Press pressed = press;
    press = Press();
    QWidget *aimed = pressed.target.widget;
    append(pressed.target,
           requestLine(9, pressed.target.window, pressed.target.address,
                       QStringLiteral("s:") + mouseCommand(QStringLiteral("MouseClick"),
                                                           pressed.button, pressed.pos,
                                                           aimed->size(), pressed.modifiers)));
}

void SessionRecorder::menuItemChosen(QMenu *menu, QAction *item)
{
    // An item that opens a submenu, or that cannot be chosen, closes nothing.
    if (!item || item->isSeparator() || !item->isEnabled() || item->menu())
        return;
    QStringList path{menuElement(item, menu->actions())};
    QWidget *opener = menuOpener(menu);
    QMenu *top = menu;
    while (auto *parentMenu = qobject_cast<QMenu *>(opener)) {
        path.prepend(menuElement(top->menuAction(), parentMenu->actions()));
        top = parentMenu;
        opener = menuOpener(top);
    }
    Target target;
    if (auto *bar = qobject_cast<QMenuBar *>(opener)) {
        path.prepend(menuElement(top->menuAction(), bar->actions()));
        target = targetOf(bar);
    } else {
        // A popup menu is driven while it is open: it is the active popup then.
        static const QString popupWindow = QStringLiteral("Widget:ActivePopupWidget");
        target.widget = top;
        target.window = popupWindow;
        target.address = WidgetCatalog::widgetAddress(top, popupWindow);
    }
    if (!target.isValid())
        return;
    const QString before = requestLine(5, target.window, target.address,
                                       QStringLiteral("s:") + path.join(QLatin1Char('/')));
    if (!item->isCheckable()) {
        append(target, before);
        return;
    }
    const int index = append(target, before + checkValue(stateAfterTrigger(item)));
    unsettled = {index, item, before, QString(), false};
    QMetaObject::invokeMethod(this, &SessionRecorder::settleButton, Qt::QueuedConnection);
}

void SessionRecorder::settleButton()
{
    const Unsettled button = unsettled;
    unsettled = Unsettled();
    if (!button.checkable || button.index >= recorded.size())
        return;
    if (button.isSlider) {
        recorded[button.index].request =
            button.before +
            hexValue(QStringLiteral("i:") +
                     QString::number(button.checkable->property("value").toInt())) +
            button.after;
        return;
    }
    recorded[button.index].request = button.before + stateValue(button.checkable) + button.after;
}

void SessionRecorder::startTyping(QWidget *field)
{
    typing.target = targetOf(field);
    typing.startText = fieldText(field);
}

void SessionRecorder::watchCombo(QComboBox *combo)
{
    // Its address now, while it still shows the item it had: an unnamed combo box is
    // found by its text.
    openCombo = targetOf(combo);
    connect(combo, QOverload<int>::of(&QComboBox::activated), this,
            &SessionRecorder::comboActivated, Qt::UniqueConnection);
}

void SessionRecorder::comboActivated(int index)
{
    auto *combo = qobject_cast<QComboBox *>(sender());
    // Only a choice the user began: the agent's choices come while a request of its own
    // runs or through input it posted, which never opened the list as the user's.
    if (!recording || !combo || combo != openCombo.widget || AgentRequests::running())
        return;
    if (combo->isEditable() && typing.target.widget == combo)
        typing = Typing(); // the choice replaces what was typed
    const Target target = openCombo;
    openCombo = Target();
    if (target.isValid()) {
        append(target, requestLine(5, target.window, target.address,
                                   QStringLiteral("s:") + combo->itemText(index)));
    }
}

void SessionRecorder::navigationEnded()
{
    const QPointer<QAbstractItemView> view = navigatedView;
    navigatedView = nullptr;
    if (!view || !view->currentIndex().isValid())
        return;
    const Target target = targetOf(view);
    if (!target.isValid())
        return;
    const QString request =
        itemActivateRequest(target.window, target.address, view, view->currentIndex());
    if (navigationStep >= 0 && navigationStep == recorded.size() - 1 &&
        recorded.at(navigationStep).address == target.address &&
        recorded.at(navigationStep).window == target.window) {
        recorded[navigationStep].request = request;
        return;
    }
    navigationStep = append(target, request);
}
