#include "stvcfrequency.h"

#include "proxies/framework/sterror.h"

#include <QThread>

namespace {

const char NumericNotFound[] = "enter, VCNumeric not found";

} // namespace

void STVCFrequency::enter(const QVariant &value)
{
    QWidget *frequency = checkedWidget(nullptr);
    if (value.type() != QVariant::String)
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
        raiseError(NumericNotFound);

    clickCentre(numeric);
    // Insert puts the numeric field into edit mode; give the host a moment to switch
    // before the old value is deleted.
    keyClick(Qt::Key_Insert);
    QThread::yieldCurrentThread();
    keyClick(Qt::Key_Backspace);
    typeText(value.toString());
    flushEvents = false;
    keyClick(Qt::Key_Return);
}
