#pragma once

#include "proxies/framework/stwidgetproxy.h"

// The host's frequency field: a composite whose numeric part takes the typed value and
// commits it on Return.
class STVCFrequency : public STWidgetProxy
{
public:
    void enter(const QVariant &value) override;
};
