#pragma once

#include "stmenupathproxy.h"

// An open popup menu: chooses an item along a menu path with the keyboard, as a user
// would, and tells the paths of its items and whether one of them is disabled.
class STQMenu : public STMenuPathProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

private:
    bool pathDisabled(const QVariant &parameter);
};
