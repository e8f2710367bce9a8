#pragma once

#include <QString>

class QComboBox;
class QObject;
class QWidget;

// What the parts of the session recorder share: the request lines its steps are written
// as, and the fields a person types into.
namespace RecordedFields {

// A typed value as the activate, enter and mouse requests carry it: hex of its UTF-8
// bytes, which the extended mode reads back as UTF-8.
QString hexValue(const QString &typed);
QString requestLine(int code, const QString &window, const QString &address,
                    const QString &typed = QString());
// The value of an activate that checks or unchecks.
QString checkValue(bool checked);
// The value of the activate that leaves a checkable button, group box or menu item in the
// state it is in: a three-state box's partial state is one of its own.
QString stateValue(const QObject *checkable);

// The combo box whose list popup holds the widget, if it lies in one.
QComboBox *comboOfPopup(QWidget *widget);
// The field that typing into the widget fills, as the enter request addresses it: a spin
// box or an editable combo box rather than the line edit inside it.
QWidget *fieldOf(QWidget *widget);
// The text the field shows, as the enter request types it.
QString fieldText(const QWidget *field);
// Whether the field hides what is typed into it (a password).
bool hidesText(const QWidget *field);

} // namespace RecordedFields
