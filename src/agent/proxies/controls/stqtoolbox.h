#pragma once

#include "proxies/framework/stwidgetproxy.h"

class QAbstractButton;
class QToolBox;

// Tool boxes: a page is opened by clicking its header button, found by the header's text.
class STQToolBox : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

    // The tool box whose page header the button is, if it is one.
    static QToolBox *toolBoxOfHeader(const QAbstractButton *button);
    // The name activate finds the header's page by: its text as shown.
    static QString pageName(const QAbstractButton *header);

private:
    // A page's text as reads give it: as it stands, or as shown in the extended mode.
    QString pageText(const QString &text) const;
};
