#include "coordedit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace basecontrols {

CoordEdit::CoordEdit(QWidget *parent) : QLineEdit(parent)
{
    // Signed degrees with up to six decimals: "+047.123456".
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[-+]?\\d{0,3}(\\.\\d{0,6})?")), this));
    setMaxLength(11);
}

void CoordEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool printable = text.size() == 1 && text.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable && !hasSelectedText() && cursorPosition() < this->text().size())
        setSelection(cursorPosition(), 1);
    QLineEdit::keyPressEvent(event);
}

} // namespace basecontrols
