#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Dock widgets: one stacked with others as tabs of a main window is brought to the front
// by clicking its tab.
class STQDockWidget : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
};
