#include "stqcheckbox.h"

#include "protocol/wiretext.h"

#include <QCheckBox>

namespace {

// The state a three-state box is given in the extended mode: true and false for checked and
// unchecked, or the text PartiallyChecked.
Qt::CheckState stateOf(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? Qt::Checked : Qt::Unchecked;
    return Qt::PartiallyChecked;
}

} // namespace

void STQCheckBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    auto *box = static_cast<QCheckBox *>(checkedWidget("QAbstractButton"));
    // In the extended mode a three-state box is clicked round to the state named, from
    // whatever state it is in; a partially checked one also counts as checked otherwise.
    if (extendedMode() && box->isTristate() &&
        (first.userType() == QMetaType::Bool ||
         first == QVariant(QStringLiteral("PartiallyChecked")))) {
        // Qt's order: unchecked, partially checked, checked, and round again.
        const int clicks = (stateOf(first) - box->checkState() + 3) % 3;
        for (int i = 0; i < clicks; ++i)
            STQButton::activate(QVariant(), QVariant());
        return;
    }
    if (first.userType() != QMetaType::Bool)
        typeError("bool");
    if (box->isChecked() != first.toBool())
        STQButton::activate(QVariant(), QVariant());
}
