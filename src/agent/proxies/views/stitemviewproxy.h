#pragma once

#include "proxies/framework/stwidgetproxy.h"

#include <QModelIndex>
#include <QRect>

#include <functional>

class QAbstractItemModel;
class QAbstractItemView;

// Base of the proxies of item views (lists, trees, tables) that work on the current item
// by keyboard. It holds what those views are driven with alike, so each proxy only decides
// which item to reach and how:
//
//  - itemRect / itemMousePoint: where an item lies in the viewport, and where a mouse
//    command at it aims;
//  - itemGlobalRect: where an item shows on the screen;
//  - itemFlagProperty: the item facts that the views' properties report alike;
//  - focusItemView: giving the view the keyboard focus before keys are pressed;
//  - currentItemToEnter / requireCheckable: the argument and item checks of enter;
//  - pressUntil: a navigation key pressed until the view reaches the wanted place, with a
//    bound so that a place the keyboard cannot reach still ends the request;
//  - spaceClick: Space that checks or selects the current item;
//  - terminatingKey / sendTerminatingKey: the optional one-character key that finishes an
//    activate;
//  - editCurrentItem: replacing the current item's text through the view's editor (F2,
//    paste from the clipboard, Return), with the check that the editor took the text;
//  - itemMouseCommand: the five-field mouse command "type:button:x:y:modifier" at a
//    point, where x and y are not read;
//  - replyItemText / isEscaped / unescapedItemText: the escapes of the separators '/' and
//    ':' in item texts that the extended mode writes and reads.
//
// Messages that scripts compare and that these helpers raise are listed in the source.
class STItemViewProxy : public STWidgetProxy
{
protected:
    // The view's model, or an empty one when the view has none, so that callers need no
    // null checks: a view without a model simply has no items.
    static QAbstractItemModel *modelOf(const QAbstractItemView *view);

    // The visible part of an item: its visual rectangle cut to the viewport, in viewport
    // coordinates. Empty when the item is scrolled out; QRect() for an invalid index.
    static QRect itemRect(const QAbstractItemView *view, const QModelIndex &index);

    // The global point a mouse command at an item aims at: the centre of the item's visible
    // part, or of the whole viewport when the index is invalid. With refuseInvisible, an
    // item scrolled out of the viewport is refused ("Current item not visible"); otherwise
    // its empty rectangle is taken as it is.
    static QPoint itemMousePoint(const QAbstractItemView *view, const QModelIndex &index,
                                 bool refuseInvisible);

    // The item's visible part in screen coordinates (empty when scrolled out), the value of
    // "itemGlobalRect".
    static QRect itemGlobalRect(const QAbstractItemView *view, const QModelIndex &index);

    // The facts every item view reports about an item: "itemIsEnabled",
    // "itemIsSelectable", "itemIsSelected", "itemIsCheckable" and "itemIsChecked" (a
    // partially checked item is not checked). Invalid for any other name.
    static QVariant itemFlagProperty(const QAbstractItemView *view, const QByteArray &name,
                                     const QModelIndex &item);

    // The ways focusItemView gives a view the keyboard focus. The views differ in them, and
    // each difference reaches the application, so each view keeps its own.
    enum FocusStep {
        // Nothing is done when the view has the focus already.
        SkipWhenFocused = 0x1,
        // Up is pressed once the view has the focus; it also gives the view a current item
        // when it had none.
        PressUp = 0x2,
        // The view is raised first, events are processed after every step, and the focus is
        // set a second time when the first did not take.
        Stepwise = 0x4
    };

    // Activates the view's window and gives the bound view (of viewClass) the keyboard
    // focus in the given steps (FocusStep values or'ed together). A view that still lacks
    // the focus then is refused with refusal, the view's own message.
    void focusItemView(const char *viewClass, int steps, const char *refusal);

    // The item an enter acts on: the view's current one. The value must be a bool (check
    // or uncheck) or a string ("bool string"), and an item must be current ("No item is
    // current"); requireCheckable refuses one that cannot be checked ("Current item is
    // not checkable").
    QModelIndex currentItemToEnter(const QAbstractItemView *view, const QVariant &value);
    static void requireCheckable(const QModelIndex &index);

    // Presses key (with modifiers) at most limit times, asking reached() after each press,
    // and stops as soon as it says yes. Returns whether it did; running out of presses is
    // not an error. Each press is flushed, so reached() sees the view's new state.
    bool pressUntil(int key, Qt::KeyboardModifiers modifiers, int limit,
                    const std::function<bool()> &reached);

    // Space, which checks or selects the current item, sent with its text as a keyboard
    // sends it: a view searches for the typed text after a selecting Space, and an empty
    // text would move the current item on to the next one.
    void spaceClick(Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // The terminating key argument of activate: null when absent or empty, else its one
    // character. Not a string is a type error ("string"); a longer string is refused
    // ("terminating key is more than one character").
    QChar terminatingKey(const QVariant &key);
    // The final step of an activate: the key as a character press and release, posted
    // after the reply (flushing switched off for the rest of the request). A null key
    // sends nothing.
    void sendTerminatingKey(QChar key);

    // Replaces the current item's text through the bound view's editor: F2 opens it, the
    // text goes to the clipboard (its old content is lost) and is pasted over the editor's
    // whole text, and Return commits it after the reply. A line-edit or spin-box editor that
    // does not show the text then (a validator or mask refused it) is an error
    // ("enter, QLineEdit validate error\n", "enter, QAbstractSpinBox validate error\n"), and
    // the editor stays open. The caller has made the wanted item current.
    void editCurrentItem(const QString &text);

    // Carries out "type:button:x:y:modifier" at a global point, in the item views' grammar
    // (MouseCommand::ItemView). Nothing is flushed from here on.
    void itemMouseCommand(const QString &command, const QPoint &globalPos);

public:
    // An item text as a reply lists it. The extended mode escapes the characters that
    // separate item names ('/' between tree levels, ':' between a row's cells) and the
    // escape itself with a backslash: "\/", "\:" and "\\", so that a listed name reads
    // back as exactly that item. Plain replies carry the text as it is.
    static QString replyItemText(const QString &text, WireText::Mode mode);
    // Whether a backslash before c escapes it.
    static bool isEscaped(QChar c);
    // The text with those escapes read; a backslash before any other character stands for
    // itself.
    static QString unescapedItemText(const QString &text);
};
