#include "stqtextedit.h"

#include "proxies/framework/sterror.h"

namespace {

const char readOnly[] = "enter, %s is read only";

} // namespace

STQTextEdit::STQTextEdit() : STQTextEdit("QTextEdit") {}

STQTextEdit::STQTextEdit(const char *editorClass) : editorClass(editorClass) {}

void STQTextEdit::enter(const QVariant &value)
{
    if (value.userType() != QMetaType::QString)
        typeError("string");
    QWidget *edit = checkedWidget(editorClass);
    if (edit->property("readOnly").toBool())
        raiseError(readOnly, editorClass);

    clickCentre(edit);

    edit = checkedWidget(editorClass);
    if (!edit->property("plainText").toString().isEmpty())
        clearField(Qt::ControlModifier);
    typeText(value.toString());
}
