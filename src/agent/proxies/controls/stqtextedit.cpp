#include "stqtextedit.h"

#include "protocol/wiretext.h"
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
    // A line break is typed as a keyboard types it: an editor takes no line feed character.
    if (extendedMode())
        typeTextAsKeyboard(value.toString());
    else
        typeText(value.toString());
}
