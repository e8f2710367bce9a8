#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Status bars: the message shown at the moment is readable as "currentMessage".
class STQStatusBar : public STWidgetProxy
{
public:
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;
};
