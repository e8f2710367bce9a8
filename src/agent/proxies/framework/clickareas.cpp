#include "clickareas.h"

#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionSpinBox>
#include <QStyleOptionToolButton>
#include <QToolButton>
#include <QWidget>

namespace ClickAreas {

QRect checkBoxClickRect(const QWidget *checkBox)
{
    QStyleOptionButton option;
    option.initFrom(checkBox);
    return checkBox->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, checkBox);
}

QRect radioButtonClickRect(const QWidget *radioButton)
{
    QStyleOptionButton option;
    option.initFrom(radioButton);
    return radioButton->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option,
                                                radioButton);
}

QRect groupBoxCheckRect(const QWidget *groupBox)
{
    QStyleOptionGroupBox option;
    option.initFrom(groupBox);
    return groupBox->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                             QStyle::SC_GroupBoxCheckBox, groupBox);
}

QRect toolButtonPartRect(const QWidget *toolButton, QStyle::SubControl part)
{
    QStyleOptionToolButton option;
    option.initFrom(toolButton);
    // The style lays out a separate arrow only when the option says the button has one.
    const auto *button = qobject_cast<const QToolButton *>(toolButton);
    if (button && button->popupMode() == QToolButton::MenuButtonPopup) {
        option.subControls |= QStyle::SC_ToolButtonMenu;
        option.features |= QStyleOptionToolButton::MenuButtonPopup;
    }
    return toolButton->style()->subControlRect(QStyle::CC_ToolButton, &option, part, toolButton);
}

QRect spinBoxEditFieldRect(const QWidget *spinBox)
{
    QStyleOptionSpinBox option;
    option.initFrom(spinBox);
    return spinBox->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                            QStyle::SC_SpinBoxEditField, spinBox);
}

} // namespace ClickAreas
