#pragma once

#include "quickscene.h"

#include "proxies/framework/stinputcontrol.h"

#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVariant>

#include <functional>

class QObject;
class QWidget;

// Input for the items of a scene: for a QQuickWidget's the events go to the QQuickWidget, as a
// user's do, and it hands them to its scene; for a QQuickWindow's they go to the window. Every
// action checks what a widget's proxy checks: a click must land on the item or inside it, typed
// text must arrive, a box must reach the state asked for. A failure raises the agent's error
// (sterror.h).
class QuickInput : public STInputControl
{
public:
    QuickInput(const QuickScene &scene, QObject *item);

    // Activate: a click at the item's centre; for a check box, switch or radio button with a
    // boolean, a click only when its state differs; for a combo box, tab bar or list view
    // with a text, a click on the entry that reads it.
    void activate(const QVariant &value);
    // Enter: the text typed into a text input in place of what it held.
    void enter(const QString &text);
    // Gives the item the keyboard focus of its scene, and the scene's QQuickWidget or window
    // that of the program, so that keys reach the item.
    void focusItem();
    // A mouse command ("MouseDoubleClick:LeftButton:0.25:0.5:NoModifier") at its point in the
    // item, which must reach the item or one inside it, as a click's centre must.
    void mouse(const QString &command);
    // Keys (Qt's portable text: "Return", "Ctrl+A, Backspace") pressed on the focused item.
    void pressKeyText(const QString &keys);

protected:
    QWidget *inputOwner() const override;

private:
    void raiseWindow();
    bool reachable(QObject *target, const QPoint &scenePoint) const;
    QPoint checkReachable(QObject *aimed, const std::function<QPoint(QRect)> &aim);
    void checkNotCovered(const QPoint &scenePoint, const QObject *target) const;
    void waitForRest(QObject *aimed);
    void click(QObject *aimed);
    void clickAt(const QPoint &scenePoint);
    void sendMouse(QEvent::Type type, const QPoint &scenePoint, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void typeInWindow(const QString &text);
    void keyInWindow(int key, Qt::KeyboardModifiers modifiers, const QString &text);
    void setChecked(bool wanted);
    void choose(const QString &entry);
    QObject *entryReading(QObject *list, const QString &entry);

    QuickScene scene;
    QPointer<QObject> item;
};
