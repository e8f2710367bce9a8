#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Rich and plain text edits: the whole document is replaced by typed text.
class STQTextEdit : public STWidgetProxy
{
public:
    void enter(const QVariant &value) override;
};
