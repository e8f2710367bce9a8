#include "mousecommand.h"

#include "sterror.h"
#include "stinputcontrol.h"
#include "protocol/wiretext.h"

#include <QPoint>

#include <cstddef>

namespace {

// Refusals; "%1" stands for the word that was not understood.
const char invalidStringValue[] = "Invalid string value";
const char buttonNotImplemented[] = "\"%1\"-Button is not implemented";
const char modifierNotImplemented[] = "\"%1\"-Modifier is not implemented";
const char typeNotImplemented[] = "\"%1\"-Type is not implemented";
const char buttonNotSupported[] = "Mouse button not supported";
const char modifierNotSupported[] = "Mouse modifier not supported";
const char invalidMouseCommand[] = "Invalid mouse command";
const char positionOutOfRange[] = "Only a Position between 0.0 and 1.0 is allowed";

enum Field { TypeField, ButtonField, XField, YField, ModifierField, FieldCount };

// What sets the grammars apart.
struct Rules
{
    int fieldCount;
    bool exactFieldCount; // otherwise missing fields are empty and further ones ignored
    bool readsPosition;
    bool knowsEveryWord; // the words not common to all grammars (see Word)
    const char *buttonRefusal;
    const char *modifierRefusal;
    const char *typeRefusal;
    // The click is the last step: the application handles it after the reply. The other
    // grammars' proxies switch flushing off themselves, before anything is read.
    bool clickAfterReply;
    // A drag carries the modifier of its press or release; item views move without one.
    bool moveWithModifier;
};

// Per line: field count, exact field count, reads position, knows every word; refusals
// of the button, modifier and type; click after reply, move with modifier.
// clang-format off
const Rules widgetRules = {FieldCount, false, true, true,
                           buttonNotImplemented, modifierNotImplemented, typeNotImplemented,
                           true, true};
const Rules itemViewRules = {FieldCount, true, false, false,
                             buttonNotSupported, modifierNotSupported, invalidMouseCommand,
                             false, false};
const Rules fixedRules = {2, true, false, false,
                          invalidStringValue, invalidStringValue, invalidStringValue,
                          false, false};
// clang-format on

const Rules &rulesOf(MouseCommand::Syntax syntax)
{
    switch (syntax) {
    case MouseCommand::ItemView:
        return itemViewRules;
    case MouseCommand::Fixed:
        return fixedRules;
    case MouseCommand::Widget:
        break;
    }
    return widgetRules;
}

// Words are compared case-sensitively. Those not common to all grammars are known only
// where every word is.
struct Word
{
    const char *text;
    int value;
    bool common;
};

const Word buttonWords[] = {{"LeftButton", Qt::LeftButton, true},
                            {"RightButton", Qt::RightButton, true},
                            {"MidButton", Qt::MiddleButton, false},
                            {"NoButton", Qt::NoButton, false},
                            {"", Qt::NoButton, false}};
const Word modifierWords[] = {{"", Qt::NoModifier, true},
                              {"ShiftModifier", Qt::ShiftModifier, true},
                              {"ControlModifier", Qt::ControlModifier, true},
                              {"AltModifier", Qt::AltModifier, true},
                              {"NoModifier", Qt::NoModifier, false}};
const Word typeWords[] = {{"MousePress", MouseCommand::Press, true},
                          {"MouseRelease", MouseCommand::Release, true},
                          {"MouseClick", MouseCommand::Click, true},
                          {"MouseDoubleClick", MouseCommand::DoubleClick, true},
                          {"MouseMove", MouseCommand::Move, false},
                          {"", MouseCommand::Move, false}};

// The word comes from the request: it is put in verbatim, never read as a format.
[[noreturn]] void refuse(const char *refusal, const QString &word)
{
    raiseWith(refusal, word);
}

template <std::size_t N>
int valueOf(const Word (&words)[N], const QString &word, bool knowsEveryWord, const char *refusal)
{
    for (const Word &known : words) {
        if ((known.common || knowsEveryWord) && word == QLatin1String(known.text))
            return known.value;
    }
    refuse(refusal, word);
}

// "The 3. parameter "abc" is not a float".
[[noreturn]] void raiseNotAFloat(int parameter, const QString &text)
{
    raiseWith("The %1. parameter \"%2\" is not a float", QString::number(parameter), text);
}

float fractionOf(const QString &text, int parameter)
{
    bool ok = false;
    const float fraction = text.toFloat(&ok);
    if (!ok)
        raiseNotAFloat(parameter, text);
    return fraction;
}

} // namespace

MouseCommand MouseCommand::read(const QString &command, Syntax syntax, const QString &suffix)
{
    const Rules &rules = rulesOf(syntax);
    if (!suffix.isEmpty() && !command.endsWith(suffix))
        raiseMessage(invalidStringValue);

    MouseCommand parsed;
    parsed.syntax = syntax;
    parsed.fields = command.left(command.size() - suffix.size()).split(QLatin1Char(':'));
    if (rules.exactFieldCount && parsed.fields.size() != rules.fieldCount)
        raiseMessage(invalidStringValue);
    while (parsed.fields.size() < FieldCount)
        parsed.fields.append(QString());
    if (rules.readsPosition)
        parsed.readPosition();
    return parsed;
}

void MouseCommand::readPosition()
{
    QString xText = fields.at(XField);
    QString yText = fields.at(YField);
    if (xText.isEmpty() && !yText.isEmpty())
        xText = QStringLiteral("0.5");
    if (yText.isEmpty() && !xText.isEmpty())
        yText = QStringLiteral("0.5");
    if (xText.isEmpty())
        return;

    x = fractionOf(xText, XField + 1);
    y = fractionOf(yText, YField + 1);
    // Written as "not inside" so that a NaN is refused too.
    if (!(x >= 0.0f && x <= 1.0f) || !(y >= 0.0f && y <= 1.0f))
        raiseMessage(positionOutOfRange);
    positioned = true;
}

namespace {

template <std::size_t N> QString wordOf(const Word (&words)[N], int value, bool knowsEveryWord)
{
    for (const Word &known : words) {
        if ((known.common || knowsEveryWord) && known.value == value && *known.text)
            return QLatin1String(known.text);
    }
    return QString();
}

QString fraction(int pos, int size)
{
    return QString::number((pos + 0.5) / qMax(size, 1), 'f', 4);
}

} // namespace

QString MouseCommand::write(Action action, Qt::MouseButton button, const QPoint &pos,
                            const QSize &size, Qt::KeyboardModifiers modifiers, Syntax syntax)
{
    const bool everyWord = rulesOf(syntax).knowsEveryWord;
    Qt::KeyboardModifier modifier = Qt::NoModifier;
    for (const Qt::KeyboardModifier known :
         {Qt::AltModifier, Qt::ControlModifier, Qt::ShiftModifier}) {
        if (modifiers & known)
            modifier = known;
    }
    const QChar colon(QLatin1Char(':'));
    return wordOf(typeWords, action, everyWord) + colon + wordOf(buttonWords, button, everyWord) +
           colon + fraction(pos.x(), size.width()) + colon + fraction(pos.y(), size.height()) +
           colon + wordOf(modifierWords, modifier, everyWord);
}

QPoint MouseCommand::pointIn(const QRect &area) const
{
    if (!positioned)
        return area.center();
    return area.topLeft() + QPoint(int(x * area.width()), int(y * area.height()));
}

MouseCommand::Gesture MouseCommand::gesture() const
{
    const Rules &rules = rulesOf(syntax);
    const auto button = Qt::MouseButton(
        valueOf(buttonWords, fields.at(ButtonField), rules.knowsEveryWord, rules.buttonRefusal));
    const auto modifiers = Qt::KeyboardModifiers(valueOf(
        modifierWords, fields.at(ModifierField), rules.knowsEveryWord, rules.modifierRefusal));
    const auto type =
        Action(valueOf(typeWords, fields.at(TypeField), rules.knowsEveryWord, rules.typeRefusal));
    return Gesture{type, button, modifiers};
}

void MouseCommand::perform(STInputControl &input, const QPoint &globalPos) const
{
    const Rules &rules = rulesOf(syntax);
    const auto [type, button, modifiers] = gesture();
    const Qt::KeyboardModifiers moveModifiers =
        rules.moveWithModifier ? modifiers : Qt::KeyboardModifiers(Qt::NoModifier);

    switch (type) {
    case Move:
        input.mouseMove(globalPos, moveModifiers);
        break;
    case Press:
        input.mouseMove(globalPos, moveModifiers);
        input.mousePress(button, modifiers);
        break;
    case Release:
        input.mouseMove(globalPos, moveModifiers);
        input.mouseRelease(button, modifiers);
        break;
    case Click:
        if (rules.clickAfterReply)
            input.flushEvents = false;
        input.mouseClick(globalPos, button, modifiers);
        break;
    case DoubleClick:
        if (rules.clickAfterReply)
            input.flushEvents = false;
        input.mouseDoubleClick(globalPos, button, modifiers);
        break;
    }
}
