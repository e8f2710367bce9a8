#include "stqtextedit.h"

#include "proxies/framework/sterror.h"

#include <QTextEdit>

namespace {

const char ReadOnly[] = "enter, QTextEdit is read only";

} // namespace

void STQTextEdit::enter(const QVariant &value)
{
    if (value.type() != QVariant::String)
        typeError("string");
    auto *edit = static_cast<QTextEdit *>(checkedWidget("QTextEdit"));
    if (edit->isReadOnly())
        raiseError(ReadOnly);

    mouseClick(edit->mapToGlobal(edit->rect().center()), Qt::LeftButton);

    edit = static_cast<QTextEdit *>(checkedWidget("QTextEdit"));
    if (!edit->toPlainText().isEmpty()) {
        keyClick(Qt::Key_Home, Qt::ControlModifier);
        keyClick(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        keyClick(Qt::Key_Backspace);
    }
    typeText(value.toString());
}
