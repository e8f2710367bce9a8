#include "vcfrequency.h"

#include "vcnumeric.h"

#include <QHBoxLayout>
#include <QLabel>

VCFrequency::VCFrequency(QWidget *parent) : QWidget(parent), field(new VCNumeric(3))
{
    field->setObjectName(QStringLiteral("numeric"));
    auto *caption = new QLabel(tr("Freq"));
    auto *unit = new QLabel(tr("MHz"));
    caption->setBuddy(field);

    // The numeric part sits in its own frame, as on the host's panels.
    auto *frame = new QWidget;
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(field);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addWidget(frame, 1);
    layout->addWidget(unit);

    connect(field, &VCNumeric::valueCommitted, this, &VCFrequency::frequencyChanged);
}

double VCFrequency::frequency() const
{
    return field->value();
}

void VCFrequency::setFrequency(double megahertz)
{
    field->setValue(megahertz);
}
