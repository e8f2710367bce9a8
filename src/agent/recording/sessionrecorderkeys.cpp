#include "sessionrecorder.h"

#include "recordedfields.h"

#include "qtcompat.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

using namespace RecordedFields;

namespace {

bool movesCurrent(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// Keys that move a view's current item. With Shift they extend the selection, and with
// Control or Alt they leave the selection alone: neither is an activate of one item.
bool isNavigationKey(const QKeyEvent *event)
{
    return !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) &&
           movesCurrent(event->key());
}

// Shift and a key that moves the current item, in a view that selects ranges.
bool extendsSelection(const QAbstractItemView *view, const QKeyEvent *event)
{
    return event->modifiers() == Qt::ShiftModifier && movesCurrent(event->key()) &&
           (view->selectionMode() == QAbstractItemView::ExtendedSelection ||
            view->selectionMode() == QAbstractItemView::ContiguousSelection);
}

// Whether the key opens a menu of a menu bar in the receiver's window by its mnemonic.
bool isMenuBarMnemonic(const QWidget *receiver, const QKeyEvent *event)
{
    if (event->modifiers() != Qt::AltModifier)
        return false;
    const QKeySequence pressed = QtCompat::keySequence(event->key(), Qt::AltModifier);
    const QList<QMenuBar *> bars = receiver->window()->findChildren<QMenuBar *>();
    for (const QMenuBar *bar : bars) {
        if (!bar->isVisible())
            continue;
        const QList<QAction *> items = bar->actions();
        for (const QAction *item : items) {
            if (item->isVisible() && QKeySequence::mnemonic(item->text()) == pressed)
                return true;
        }
    }
    return false;
}

} // namespace

void SessionRecorder::keyPressed(QWidget *receiver, QKeyEvent *event)
{
    if (auto *menu = qobject_cast<QMenu *>(receiver)) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            menuItemChosen(menu, menu->activeAction());
        return;
    }
    if (QComboBox *combo = comboOfPopup(receiver)) {
        if (!openCombo.widget)
            watchCombo(combo);
        return;
    }
    if (auto *combo = qobject_cast<QComboBox *>(receiver)) {
        // Keys that choose an item of a closed combo box: each choice is one activate.
        if (!combo->isEditable()) {
            watchCombo(combo);
            return;
        }
    }
    if (auto *view = qobject_cast<QAbstractItemView *>(receiver)) {
        if (isNavigationKey(event)) {
            navigatedView = view;
            return;
        }
        if (extendsSelection(view, event)) {
            selectionExtended(view, event);
            return;
        }
    }
    QWidget *field = fieldOf(receiver);
    if (field)
        keyInField(receiver, field, event);
    else
        keyOutsideFields(receiver, event);
}

void SessionRecorder::keyInField(QWidget *receiver, QWidget *field, QKeyEvent *event)
{
    // A key that reaches the field is the field's to edit with, not a shortcut.
    if (event->key() == pendingShortcut.key)
        pendingShortcut = Shortcut();
    if (field != typing.field) {
        flushTyping();
        startTyping(field);
    }
    if (typing.cell.isValid() && cellEditorKey(event))
        return;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    if (qobject_cast<QTextEdit *>(field) || qobject_cast<QPlainTextEdit *>(field))
        multiLineReturnPressed(receiver, field, event);
    else
        appendKey(receiver, event); // after the text it confirms (append ends it)
}

void SessionRecorder::keyOutsideFields(QWidget *receiver, QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        !event->isAutoRepeat()) {
        // Space clicks the button with the focus, as the activate does.
        if (auto *button = qobject_cast<QAbstractButton *>(receiver)) {
            Press pressed;
            pressed.target = Target::of(button);
            pressed.onButton = true;
            if (pressed.target.isValid())
                recordButton(pressed);
            return;
        }
    }
    // Keys with Control or Alt were taken when they were offered as shortcuts.
    const int key = event->key();
    if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
         key == Qt::Key_Tab || key == Qt::Key_Backtab))
        appendKey(receiver, event);
}

void SessionRecorder::multiLineReturnPressed(QWidget *receiver, QWidget *field, QKeyEvent *event)
{
    // Read before the field handles the key: a line break replaces the selection.
    QTextCursor cursor;
    if (auto *edit = qobject_cast<QTextEdit *>(field))
        cursor = edit->textCursor();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(field))
        cursor = plain->textCursor();
    fieldReturn.target = Target::forKeys(receiver);
    fieldReturn.field = field;
    fieldReturn.before = fieldText(field);
    fieldReturn.lineBroken = fieldReturn.before;
    fieldReturn.lineBroken.replace(cursor.selectionStart(),
                                   cursor.selectionEnd() - cursor.selectionStart(),
                                   QLatin1Char('\n'));
    fieldReturn.keys = keyText(event->key(), event->modifiers());
}

void SessionRecorder::multiLineReturnEnded()
{
    const FieldReturn pressed = fieldReturn;
    fieldReturn = FieldReturn();
    if (!pressed.field || fieldText(pressed.field) == pressed.lineBroken)
        return; // a line break, part of the text typed
    if (pressed.field == typing.field)
        endTyping(pressed.before);
    appendKeys(pressed.target, pressed.keys);
}

void SessionRecorder::selectionExtended(QAbstractItemView *view, QKeyEvent *event)
{
    // No activate extends a selection: a comment says what is missing, once for keys that
    // go on extending it.
    Target target = Target::of(view);
    if (!target.resolve())
        return;
    const Step comment = RecordedSteps::comment(
        target, QStringLiteral("not recorded: %1 in %2, which extends the selection")
                    .arg(keyText(event->key(), event->modifiers()), target.address));
    if (recorded.isEmpty() || recorded.constLast().comment != comment.comment)
        append(comment);
}

void SessionRecorder::shortcutOffered(QWidget *receiver, QKeyEvent *event)
{
    // Keys with Control or Alt outside menus and combo box lists are shortcuts, unless a
    // text field takes them for editing (keyPressed), and so are other keys outside text
    // fields that a shortcut takes; the widget with the focus is taken now, before the
    // shortcut may open another window.
    pendingShortcut = Shortcut();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if ((plain && fieldOf(receiver)) || qobject_cast<QMenu *>(receiver) || comboOfPopup(receiver))
        return;
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Shift:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return;
    default:
        break;
    }
    // Alt and a menu bar's mnemonic opens its menu: the item chosen in it is the step.
    if (isMenuBarMnemonic(receiver, event))
        return;
    pendingShortcut.target = Target::forKeys(receiver);
    pendingShortcut.key = event->key();
    pendingShortcut.keys = keyText(event->key(), event->modifiers());
    pendingShortcut.plain = plain;
}

void SessionRecorder::shortcutTaken()
{
    const Shortcut taken = pendingShortcut;
    pendingShortcut = Shortcut();
    flushTyping();
    appendKeys(taken.target, taken.keys);
}

void SessionRecorder::keyReleased(QKeyEvent *event)
{
    if (navigatedView)
        navigationEnded();
    if (fieldReturn.field)
        multiLineReturnEnded();
    // A Control or Alt key that no shortcut took is the widget's own (Ctrl+A in a view):
    // a step once the window system releases it.
    const Shortcut offered = pendingShortcut;
    if (event->key() != offered.key || !offered.target.widget || offered.plain)
        return;
    pendingShortcut = Shortcut();
    appendKeys(offered.target, offered.keys);
}

QString SessionRecorder::keyText(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    // A character that Shift makes (*, +, ?) names the key with Shift in it already.
    if (key < Qt::Key_Escape && !QChar(key).isLetter())
        modifiers &= ~Qt::ShiftModifier;
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        modifiers |= Qt::ShiftModifier;
    }
    return QtCompat::keySequence(key, modifiers).toString(QKeySequence::PortableText);
}

void SessionRecorder::appendKeys(const Target &target, const QString &keys)
{
    if (!target.isValid())
        return;
    append(RecordedSteps::key(target, keys));
}

void SessionRecorder::appendKey(QWidget *receiver, QKeyEvent *event)
{
    appendKeys(Target::forKeys(receiver), keyText(event->key(), event->modifiers()));
}
