#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Qt's own (widget-based) file dialog: a name or path is typed into its file-name field
// and confirmed with Return, so a test needs no knowledge of the dialog's layout.
class STQFileDialog : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
};
