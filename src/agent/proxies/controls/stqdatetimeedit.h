#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Date and time edits: the text is pasted over the whole field, because their sections
// refuse most intermediate texts that typing would produce.
class STQDateTimeEdit : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;

private:
    void pasteValue(const QVariant &value, const char *readOnlyMessage,
                    const char *validateMessage);
};
