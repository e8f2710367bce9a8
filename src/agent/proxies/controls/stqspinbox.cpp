#include "stqspinbox.h"

#include <QAbstractSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

void STQSpinBox::typeValue(const QVariant &value)
{
    if (value.type() != QVariant::Int && value.type() != QVariant::String)
        typeError("string, integer");
    QWidget *box = checkedWidget("QAbstractSpinBox");

    QString text;
    if (value.type() == QVariant::Int)
        text.setNum(value.toInt(), 10);
    else
        text = value.toString();

    // Click into the text part: the arrows would change the value.
    QStyleOptionSpinBox option;
    option.initFrom(box);
    const QRect editField =
        box->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, box);
    mouseClick(box->mapToGlobal(editField.center()), Qt::LeftButton);

    keyClick(Qt::Key_Home);
    keyClick(Qt::Key_End, Qt::ShiftModifier);
    keyClick(Qt::Key_Backspace);
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
