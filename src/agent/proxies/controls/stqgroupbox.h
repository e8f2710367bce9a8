#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Checkable group boxes: activate clicks the title's check box when the state differs.
class STQGroupBox : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
};
