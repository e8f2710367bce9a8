#pragma once

#include "stinputcontrol.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

// Base of every proxy, and the proxy of widgets without a more specific one. Knows how
// to read properties (built-in, pseudo and Qt ones), how to carry out a mouse command,
// and how to bring the widget's window forward. Every failure is thrown as STError.
class STWidgetProxy : protected STInputControl
{
public:
    STWidgetProxy();
    ~STWidgetProxy() override;

    virtual void activate(const QVariant &first, const QVariant &second);
    virtual void enter(const QVariant &value);
    virtual void mouse(const QVariant &command);
    // Typing into a widget that has no proxy of its own, as a user would: a click to give it
    // the focus, then the text as typed keys; fails when it did not take the focus.
    void typeInto(const QVariant &value);
    // Presses a key sequence in Qt's portable text form ("Return", "Ctrl+S", "Tab, Space")
    // on the widget, which first gets the focus if it takes it (no click).
    void press(const QVariant &keys);
    // The keys of such a text, each with its modifiers; an unknown key fails, naming it.
    static QVector<int> keysOf(const QString &text);
    virtual QStringList pseudoPropertyNames();
    virtual QVariant pseudoProperty(const char *name, const QVariant &parameter);

    void attach(QWidget *widget, const QString &className);
    QWidget *checkedWidget(const char *requiredClass = nullptr);
    QVariant getProperty(const char *name, const QVariant &parameter);
    // Fails as every operation of a proxy whose widget went away meanwhile (a click closed
    // its window): "Internal error, proxy without widget".
    [[noreturn]] static void raiseWithoutWidget();
    void raiseWidgetWindow();
    // Before an action: scrolls the widget into view inside its scroll areas, raises its
    // window (raiseWidgetWindow) and waits while an animation still moves it.
    void bringIntoReach();
    // A caption without its mnemonic, by the rule of the agent's mode (protocol/mnemonics.h).
    QString withoutMnemonic(const QString &text) const;

    [[noreturn]] void typeError(const char *accepted);
    [[noreturn]] void rangeError(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);

protected:
    // The names of a proxy's pseudo properties, with "itemGlobalRect" in the extended mode:
    // where one of its items (a tab, a list item, a tree item, a table cell) shows on the
    // screen, read with the same item argument as the activate that chooses it, for tools
    // outside the agent that point at the item.
    QStringList withItemGlobalRect(QStringList names) const;

    // Input is meant for the bound widget.
    QWidget *inputOwner() const override;

    // The fixed command set of proxies that take no position or modifier: the type and
    // the button ("MouseClick" and "LeftButton", say) joined by ':' and followed exactly
    // by suffix, carried out at a global point (MouseCommand::Fixed).
    void fixedMouseCommand(const QString &command, const QString &suffix, const QPoint &globalPos);

    // A left click in the middle of area, given in target's coordinates: a tab, a header
    // button or a style part of the target. Without an area, the middle of the whole target.
    void clickCentre(QWidget *target, const QRect &area);
    void clickCentre(QWidget *target);

    // Guarded: a click can close and delete the widget's window while events are flushed.
    QPointer<QWidget> widget;
    QString silkClassName;

    friend class STApplicationProxy;
};
