#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Combo boxes: an item is chosen as a user chooses it, by opening the box and walking to
// the item with the arrow keys; an editable box also takes typed text.
class STQComboBox : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void enter(const QVariant &value) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;
};
