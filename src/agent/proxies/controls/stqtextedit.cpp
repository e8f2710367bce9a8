#include "stqtextedit.h"

#include "proxies/framework/sterror.h"

#include <QTextEdit>

namespace {

const char readOnly[] = "enter, QTextEdit is read only";

} // namespace

void STQTextEdit::enter(const QVariant &value)
{
    if (value.type() != QVariant::String)
        typeError("string");
    auto *edit = static_cast<QTextEdit *>(checkedWidget("QTextEdit"));
    if (edit->isReadOnly())
        raiseError(readOnly);

    clickCentre(edit);

    edit = static_cast<QTextEdit *>(checkedWidget("QTextEdit"));
    if (!edit->toPlainText().isEmpty())
        clearField(Qt::ControlModifier);
    typeText(value.toString());
}
