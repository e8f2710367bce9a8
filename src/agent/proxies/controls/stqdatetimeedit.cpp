#include "stqdatetimeedit.h"

#include "proxies/framework/clickareas.h"
#include "proxies/framework/sterror.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>

namespace {

const char activateReadOnly[] = "activate, QDateTimeEdit is read only";
const char enterReadOnly[] = "enter, QDateTimeEdit is read only";
const char activateValidateError[] = "activate, QDateTimeEdit validate error";
const char enterValidateError[] = "enter, QDateTimeEdit validate error";

} // namespace

void STQDateTimeEdit::pasteValue(const QVariant &value, const char *readOnlyMessage,
                                 const char *validateMessage)
{
    if (value.userType() != QMetaType::QString)
        typeError("string");
    auto *edit = static_cast<QAbstractSpinBox *>(checkedWidget("QDateTimeEdit"));
    if (edit->isReadOnly())
        raiseError("%s", readOnlyMessage);

    clickCentre(edit, ClickAreas::spinBoxEditFieldRect(edit));

    const QString text = value.toString();
    QApplication::clipboard()->setText(text, QClipboard::Clipboard);
    selectField();
    keyClick(Qt::Key_V, Qt::ControlModifier);

    edit = static_cast<QAbstractSpinBox *>(checkedWidget("QDateTimeEdit"));
    if (edit->text() != text)
        raiseError("%s", validateMessage);
}

void STQDateTimeEdit::activate(const QVariant &first, const QVariant & /*second*/)
{
    pasteValue(first, activateReadOnly, activateValidateError);
    flushEvents = false;
    keyClick(Qt::Key_Return);
}

void STQDateTimeEdit::enter(const QVariant &value)
{
    pasteValue(value, enterReadOnly, enterValidateError);
}
