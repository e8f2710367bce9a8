#include "stqcheckbox.h"

#include <QCheckBox>

void STQCheckBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    auto *box = static_cast<QCheckBox *>(checkedWidget("QAbstractButton"));
    if (first.userType() != QMetaType::Bool)
        typeError("bool");
    if (box->isChecked() != first.toBool())
        STQButton::activate(QVariant(), QVariant());
}
