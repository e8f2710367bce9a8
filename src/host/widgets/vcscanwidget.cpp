#include "vcscanwidget.h"

#include <QPainter>

VCScanWidget::VCScanWidget(QWidget *parent) : QWidget(parent) {}

void VCScanWidget::setProgress(int value)
{
    percent = qBound(0, value, 100);
    update();
}

QSize VCScanWidget::sizeHint() const
{
    return QSize(160, 24);
}

void VCScanWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, palette().base());
    QRect done = frame.adjusted(1, 1, 0, 0);
    done.setWidth(done.width() * percent / 100);
    painter.fillRect(done, palette().highlight());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}
