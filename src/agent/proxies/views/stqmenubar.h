#pragma once

#include "stmenupathproxy.h"

// A window's menu bar: opens the menu named by a path's first element and chooses the
// rest of the path in it as the menu proxy does. Tells the paths of all items under the
// bar, and whether the item at a path is checked or disabled.
class STQMenuBar : public STMenuPathProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

private:
    bool pathChecked(const QVariant &parameter);
    bool pathDisabled(const QVariant &parameter);
};
