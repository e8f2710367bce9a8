#pragma once

#include "proxies/framework/stwidgetproxy.h"

#include <QPoint>

class QSlider;

// Sliders: activate drags the handle from where it stands to the place of the new value.
class STQSlider : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void mouse(const QVariant &command) override;

private:
    // The slider measured with the handle at the start of its groove.
    struct Geometry
    {
        int span = 0; // pixels the handle can travel
        bool upsideDown = false;
        QPoint base; // global centre of the handle at offset 0
        bool vertical = false;
    };
    static Geometry measure(QSlider *slider);
};
