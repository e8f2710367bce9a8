#include "stqgroupbox.h"

#include "proxies/framework/sterror.h"

#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace {

const char NotCheckable[] = "activate, QGroupBox is not checkable";

} // namespace

void STQGroupBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    auto *box = static_cast<QGroupBox *>(checkedWidget("QGroupBox"));
    if (first.type() != QVariant::Bool)
        typeError("bool");
    if (!box->isCheckable())
        raiseError(NotCheckable);
    if (box->isChecked() == first.toBool())
        return;

    QStyleOptionGroupBox option;
    option.initFrom(box);
    const QRect area = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                    QStyle::SC_GroupBoxCheckBox, box);
    flushEvents = false;
    mouseClick(box->mapToGlobal(area.center()), Qt::LeftButton);
}
