#pragma once

#include <QRect>
#include <QStringList>

class QPoint;
class STInputControl;

// The command of a mouse request: "type:button:x:y:modifier", for instance
// "MouseClick:LeftButton:0.25:0.5:ShiftModifier".
//
//  - type: MousePress, MouseRelease, MouseClick, MouseDoubleClick or MouseMove;
//  - button: LeftButton, RightButton, MidButton or NoButton;
//  - x, y: where in the target, as fractions of its width and height from 0.0 to 1.0;
//  - modifier: one of ShiftModifier, ControlModifier, AltModifier or NoModifier.
//
// Proxies read it in one of three grammars (Syntax). They differ in the words they know,
// in how strictly they count the fields and in the messages of their refusals, and scripts
// compare those messages, so each grammar keeps its own.
//
// Reading comes in two steps so that faults are reported in a fixed order whatever the
// proxy does in between: read() checks the shape and the position, perform() the button,
// the modifier and the type, in that order, and only then acts. Between the two steps the
// proxy aims, which may already bring its window forward.
class MouseCommand
{
public:
    enum Syntax {
        // Any widget: missing fields are empty and further ones ignored. An empty type is a
        // move, an empty button none, an empty position the middle, and a single coordinate
        // means the middle of the other axis. Refusals name the word that was not understood.
        Widget,
        // Item views: exactly five fields; the position is not read (the view aims at an
        // item), there are neither moves nor buttons other than left and right, and the
        // modifier is empty or a real one.
        ItemView,
        // Widgets with one click point: "type:button" followed by the suffix the proxy
        // expects; left or right button, no modifier. Any fault is "Invalid string value".
        Fixed
    };

    // Throws STError for a malformed command or, in the Widget syntax, a bad position. A
    // command must end with suffix, which is not part of its fields.
    static MouseCommand read(const QString &command, Syntax syntax,
                             const QString &suffix = QString());

    // What a command does; the values are those of the type words.
    enum Action { Move, Press, Release, Click, DoubleClick };

    // The command that does the action at pos in a widget of the given size, in the Widget
    // or ItemView syntax: each coordinate is the pixel's centre as a fraction, which read()
    // multiplies back and truncates to the same pixel in any widget narrower than 10,000
    // pixels, and the one modifier the grammar knows (Shift before Control before Alt).
    // Without one, the Widget syntax writes NoModifier and the ItemView syntax nothing.
    static QString write(Action action, Qt::MouseButton button, const QPoint &pos,
                         const QSize &size, Qt::KeyboardModifiers modifiers,
                         Syntax syntax = Widget);

    // The point in area that the position names: its middle when there is none.
    QPoint pointIn(const QRect &area) const;

    // The words, checked in the order perform() checks them, for input that goes elsewhere
    // than through a proxy's (a Qt Quick item's).
    struct Gesture
    {
        Action action;
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
    };
    Gesture gesture() const;

    // Checks the words, then moves, presses, releases or clicks at globalPos through a
    // proxy's input, which makes sure the input arrives at the proxy's widget.
    void perform(STInputControl &input, const QPoint &globalPos) const;

private:
    void readPosition();

    Syntax syntax = Widget;
    QStringList fields;
    bool positioned = false;
    // Kept as float: the pixel a fraction names depends on the precision it is multiplied in.
    float x = 0.0f;
    float y = 0.0f;
};
