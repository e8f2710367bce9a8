#include "vcbutton.h"

VCButton::VCButton(QWidget *parent) : QPushButton(parent) {}

VCButton::VCButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {}

void VCButton::setBusy(bool on)
{
    if (busy == on)
        return;
    busy = on;
    // A busy button is drawn pressed-in, like a latched hardware key.
    setDown(on);
    emit busyChanged(on);
}
