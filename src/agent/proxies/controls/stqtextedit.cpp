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
    if (!WireText::isExtended()) {
        typeText(value.toString());
        return;
    }
    // A line break is typed as a keyboard types it: an editor takes no line feed character.
    const QStringList lines = value.toString().split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            textKeyClick(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        typeText(lines.at(i));
    }
}
