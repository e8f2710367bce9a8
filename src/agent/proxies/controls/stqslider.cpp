#include "stqslider.h"

#include "proxies/framework/sterror.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

const char unableToDisplay[] = "Unable to display value %d, try %d";

} // namespace

STQSlider::Geometry STQSlider::measure(QSlider *slider)
{
    // The option keeps its default range and position, so the style puts the handle at
    // the start of the groove; offsets of values are measured from there.
    QStyleOptionSlider option;
    option.initFrom(slider);
    Geometry geometry;
    geometry.vertical = slider->orientation() == Qt::Vertical;
    if (geometry.vertical)
        option.orientation = Qt::Vertical;

    QStyle *style = slider->style();
    const QRect groove =
        style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    const QRect handle =
        style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);

    if (geometry.vertical) {
        geometry.span = (groove.bottom() - groove.top()) - (handle.bottom() - handle.top());
        // A vertical slider shows its minimum at the bottom unless its appearance is
        // inverted, the reverse of a horizontal one.
        geometry.upsideDown = !slider->invertedAppearance();
    } else {
        geometry.span = (groove.right() - groove.left()) - (handle.right() - handle.left());
        geometry.upsideDown = slider->invertedAppearance();
    }
    geometry.base = slider->mapToGlobal(handle.center());
    return geometry;
}

void STQSlider::activate(const QVariant &first, const QVariant & /*second*/)
{
    if (first.userType() != QMetaType::Int)
        typeError("integer");
    auto *slider = static_cast<QSlider *>(checkedWidget("QSlider"));

    const int target = first.toInt();
    const int minimum = slider->minimum();
    const int maximum = slider->maximum();
    if (target < minimum || target > maximum)
        rangeError("[%d, %d]", minimum, maximum);

    const Geometry geometry = measure(slider);
    const int from = QStyle::sliderPositionFromValue(minimum, maximum, slider->value(),
                                                     geometry.span, geometry.upsideDown);
    const int to = QStyle::sliderPositionFromValue(minimum, maximum, target, geometry.span,
                                                   geometry.upsideDown);
    const int reachable =
        QStyle::sliderValueFromPosition(minimum, maximum, to, geometry.span, geometry.upsideDown);
    if (reachable != target)
        raiseError(unableToDisplay, target, reachable);

    const QPoint step = geometry.vertical ? QPoint(0, 1) : QPoint(1, 0);
    mouseMove(geometry.base + step * from);
    mousePress(Qt::LeftButton);
    mouseMove(geometry.base + step * to);
    mouseRelease(Qt::LeftButton);
}

void STQSlider::mouse(const QVariant &command)
{
    if (command.isValid() && command.userType() != QMetaType::QString)
        typeError("string, none");
    auto *slider = static_cast<QSlider *>(checkedWidget("QSlider"));
    const QPoint point = measure(slider).base;
    if (!command.isValid())
        return;

    flushEvents = false;
    const QString text = command.toString();
    fixedMouseCommand(text, QString(), point);
}
