#include "stqgroupbox.h"

#include "proxies/framework/clickareas.h"
#include "proxies/framework/sterror.h"

#include <QGroupBox>

namespace {

const char notCheckable[] = "activate, QGroupBox is not checkable";

} // namespace

void STQGroupBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    auto *box = static_cast<QGroupBox *>(checkedWidget("QGroupBox"));
    if (first.userType() != QMetaType::Bool)
        typeError("bool");
    if (!box->isCheckable())
        raiseError(notCheckable);
    if (box->isChecked() == first.toBool())
        return;

    flushEvents = false;
    clickCentre(box, ClickAreas::groupBoxCheckRect(box));
}
