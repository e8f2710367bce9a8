#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Tool boxes: a page is opened by clicking its header button, found by the header's text.
class STQToolBox : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

private:
    // A page's text as reads give it: as it stands, or as shown in the extended mode.
    QString pageText(const QString &text) const;
};
