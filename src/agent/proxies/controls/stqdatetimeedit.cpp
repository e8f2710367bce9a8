#include "stqdatetimeedit.h"

#include "proxies/framework/sterror.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace {

const char ActivateReadOnly[] = "activate, QDateTimeEdit is read only";
const char EnterReadOnly[] = "enter, QDateTimeEdit is read only";
const char ActivateValidateError[] = "activate, QDateTimeEdit validate error";
const char EnterValidateError[] = "enter, QDateTimeEdit validate error";

} // namespace

void STQDateTimeEdit::pasteValue(const QVariant &value, const char *readOnlyMessage,
                                 const char *validateMessage)
{
    if (value.type() != QVariant::String)
        typeError("string");
    auto *edit = static_cast<QAbstractSpinBox *>(checkedWidget("QDateTimeEdit"));
    if (edit->isReadOnly())
        raiseError("%s", readOnlyMessage);

    QStyleOptionSpinBox option;
    option.initFrom(edit);
    const QRect editField = edit->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                          QStyle::SC_SpinBoxEditField, edit);
    mouseClick(edit->mapToGlobal(editField.center()), Qt::LeftButton);

    const QString text = value.toString();
    QApplication::clipboard()->setText(text, QClipboard::Clipboard);
    keyClick(Qt::Key_Home);
    keyClick(Qt::Key_End, Qt::ShiftModifier);
    keyClick(Qt::Key_V, Qt::ControlModifier);

    edit = static_cast<QAbstractSpinBox *>(checkedWidget("QDateTimeEdit"));
    if (edit->text() != text)
        raiseError("%s", validateMessage);
}

void STQDateTimeEdit::activate(const QVariant &first, const QVariant & /*second*/)
{
    pasteValue(first, ActivateReadOnly, ActivateValidateError);
    flushEvents = false;
    keyClick(Qt::Key_Return);
}

void STQDateTimeEdit::enter(const QVariant &value)
{
    pasteValue(value, EnterReadOnly, EnterValidateError);
}
