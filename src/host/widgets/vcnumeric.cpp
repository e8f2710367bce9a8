#include "vcnumeric.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

VCNumeric::VCNumeric(int decimals, QWidget *parent) : QLineEdit(parent), decimals(decimals)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,5}(\\.\\d{0,%1})?").arg(decimals)), this));
    setValue(0.0);
}

void VCNumeric::setValue(double value)
{
    committed = value;
    editing = false;
    setText(QString::number(value, 'f', decimals));
}

void VCNumeric::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Insert:
        editing = true;
        selectAll();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commit();
        event->accept();
        return;
    case Qt::Key_Escape:
        revert();
        event->accept();
        return;
    default:
        if (!event->text().isEmpty())
            editing = true;
        QLineEdit::keyPressEvent(event);
    }
}

void VCNumeric::focusOutEvent(QFocusEvent *event)
{
    // Leaving the field without Return drops the edit, like the hardware panels do.
    revert();
    QLineEdit::focusOutEvent(event);
}

void VCNumeric::commit()
{
    bool ok = false;
    const double typed = text().toDouble(&ok);
    if (!ok) {
        revert();
        return;
    }
    setValue(typed);
    emit valueCommitted(typed);
}

void VCNumeric::revert()
{
    if (editing)
        setValue(committed);
}
