#include "stqlineedit.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QLineEdit>

namespace {

const char readOnly[] = "enter, QLineEdit is read only";
const char validateError[] = "enter, QLineEdit validate error";
const char coordValidateError[] = "enter, QLineEdit validate error %1";

} // namespace

void STQLineEdit::enter(const QVariant &value)
{
    auto *edit = static_cast<QLineEdit *>(checkedWidget("QLineEdit"));
    if (value.userType() != QMetaType::QString)
        typeError("string");
    if (edit->isReadOnly())
        raiseError(readOnly);

    clickCentre(edit);

    QString text = value.toString();
    const bool pressReturn = text.endsWith(QLatin1Char('\n'));
    if (pressReturn)
        text.chop(1);

    // The click may have run code that closed the window: look the widget up again.
    edit = static_cast<QLineEdit *>(checkedWidget("QLineEdit"));
    if (edit->inherits("basecontrols::CoordEdit")) {
        // Coordinate fields keep a fixed width and overwrite from the start; clearing
        // keys would break their layout, so each character is typed over the old one.
        keyClick(Qt::Key_Home);
        for (const QChar c : qAsConst(text))
            typeText(QString(c));
        edit = static_cast<QLineEdit *>(checkedWidget("QLineEdit"));
        if (edit->text() == text)
            return;
        raiseWith(coordValidateError, edit->text());
    }

    if (!edit->inputMask().isEmpty() || edit->validator()) {
        // Typed one by one, the intermediate texts could be refused even though the
        // whole text is fine; insert over a full selection lets the mask or validator
        // judge the complete text.
        selectField();
        edit = static_cast<QLineEdit *>(checkedWidget("QLineEdit"));
        edit->insert(text);
        if (edit->text() != text)
            raiseError(validateError);
    } else {
        if (!edit->text().isEmpty())
            clearField();
        typeText(text);
    }

    if (pressReturn) {
        flushEvents = false;
        keyClick(Qt::Key_Return);
    }
}
