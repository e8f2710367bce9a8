#pragma once

#include <QWidget>

class VCNumeric;

// The host's frequency field: a caption, the numeric part and the unit, in one row.
class VCFrequency : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double frequency READ frequency WRITE setFrequency NOTIFY frequencyChanged)

public:
    explicit VCFrequency(QWidget *parent = nullptr);

    double frequency() const;
    void setFrequency(double megahertz);
    VCNumeric *numeric() const { return field; }

signals:
    void frequencyChanged(double megahertz);

private:
    VCNumeric *field;
};
