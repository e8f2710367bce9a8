#pragma once

#include <QString>
#include <QWidget>

class QAbstractItemView;
class QComboBox;
class QObject;
class QWidget;

// What the parts of the session recorder share: the widgets a person's input lands in,
// and the fields a person types into.
namespace RecordedFields {

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

// The combo box whose list popup holds the widget, if it lies in one.
QComboBox *comboOfPopup(QWidget *widget);
// The field that typing into the widget fills, as the enter request addresses it: a spin
// box or an editable combo box rather than the line edit inside it.
QWidget *fieldOf(QWidget *widget);
// The text the field shows, as the enter request types it.
QString fieldText(const QWidget *field);
// Whether the field hides what is typed into it (a password).
bool hidesText(const QWidget *field);
// The item view whose cell the field edits as its temporary editor, if it is one.
QAbstractItemView *viewOfCellEditor(const QWidget *field);
// The widget the mouse wheel changes the value of from the widget it turned over: a spin
// box, a slider other than a scroll bar or a combo box; else a scroll area it scrolls, or
// null.
QWidget *wheelTarget(QWidget *receiver);
// The value the wheel left it at: the enter text of a spin box, the slider's "i:" value,
// the combo box's item "s:" text; empty for a scroll area.
QString wheelValue(const QWidget *changed);

} // namespace RecordedFields
