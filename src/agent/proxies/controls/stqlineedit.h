#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Line edits (and the host's coordinate fields): text goes in as typed keys, or through
// the widget's own insert where a mask or validator has to judge it as a whole.
class STQLineEdit : public STWidgetProxy
{
public:
    void enter(const QVariant &value) override;
};
