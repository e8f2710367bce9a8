#include "stqfiledialog.h"

#include "proxies/framework/sterror.h"

#include <QLineEdit>
#include <QPointer>

namespace {

const char nameEditNotFound[] = "activate, fileNameEdit not found";

} // namespace

void STQFileDialog::activate(const QVariant &first, const QVariant & /*second*/)
{
    QWidget *dialog = checkedWidget("QFileDialog");
    if (first.userType() != QMetaType::QString)
        typeError("string");

    // The file-name field of the widget-based dialog; a native dialog has none.
    QPointer<QLineEdit> edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!edit)
        raiseError(nameEditNotFound);

    // Two separate clicks, each handled before the next input. A dialog closed meanwhile
    // fails with the framework's message, a field gone with this proxy's own.
    for (int click = 0; click < 2; ++click) {
        clickCentre(edit);
        checkedWidget("QFileDialog");
        if (!edit)
            raiseError(nameEditNotFound);
    }

    if (!edit->text().isEmpty())
        clearField();
    typeText(first.toString());
    // The dialog accepts the name, or changes into the directory that was typed.
    flushEvents = false;
    keyClick(Qt::Key_Return);
}
