#include "stvcfrequency.h"

#include "proxies/framework/sterror.h"

namespace {

const char numericNotFound[] = "enter, VCNumeric not found";

} // namespace

void STVCFrequency::enter(const QVariant &value)
{
    QWidget *frequency = checkedWidget(nullptr);
    if (value.userType() != QMetaType::QString)
        typeError("string");

    QWidget *numeric = nullptr;
    const QList<QWidget *> descendants = frequency->findChildren<QWidget *>();
    for (QWidget *candidate : descendants) {
        if (candidate->inherits("VCNumeric")) {
            numeric = candidate;
            break;
        }
    }
    if (!numeric)
        raiseError(numericNotFound);

    clickCentre(numeric);
    // Insert puts the numeric field into edit mode. The key is handled (its events
    // flushed) before the old value is deleted, so the field has switched by then.
    keyClick(Qt::Key_Insert);
    keyClick(Qt::Key_Backspace);
    typeText(value.toString());
    flushEvents = false;
    keyClick(Qt::Key_Return);
}
