#include "stqspinbox.h"

#include "proxies/framework/clickareas.h"

#include <QAbstractSpinBox>

void STQSpinBox::typeValue(const QVariant &value)
{
    if (value.userType() != QMetaType::Int && value.userType() != QMetaType::QString)
        typeError("string, integer");
    QWidget *box = checkedWidget("QAbstractSpinBox");

    QString text;
    if (value.userType() == QMetaType::Int)
        text.setNum(value.toInt(), 10);
    else
        text = value.toString();

    // Click into the text part: the arrows would change the value.
    clickCentre(box, ClickAreas::spinBoxEditFieldRect(box));
    clearField();
    typeText(text);
}

void STQSpinBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    typeValue(first);
    flushEvents = false;
    keyClick(Qt::Key_Return);
}

void STQSpinBox::enter(const QVariant &value)
{
    typeValue(value);
}
