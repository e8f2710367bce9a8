#pragma once

#include "stqtabbar.h"

// Tab widgets: served through their own tab bar, with the same requests and properties.
class STQTabWidget : public STQTabBar
{
protected:
    QTabBar *tabBar() override;
};
