#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Integer and floating point spin boxes: the number is typed into the editor part;
// activate confirms it with Return.
class STQSpinBox : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;

private:
    void typeValue(const QVariant &value);
};
