#pragma once

#include <QWidget>

// The host's scan display: a bar showing how far a frequency scan has progressed.
class VCScanWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int progress READ progress WRITE setProgress)

public:
    explicit VCScanWidget(QWidget *parent = nullptr);

    int progress() const { return percent; }
    void setProgress(int percent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int percent = 0;
};
