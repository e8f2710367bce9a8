#pragma once

#include "proxies/framework/stwidgetproxy.h"

class QRect;

// Push, tool and radio buttons (and the host's VCButton): clicked where a user would
// click them, which the widget's own style decides.
class STQButton : public STWidgetProxy
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
    void mouse(const QVariant &command) override;
    QStringList pseudoPropertyNames() override;
    QVariant pseudoProperty(const char *name, const QVariant &parameter) override;

protected:
    enum ClickPurpose { ActivateClick, LeftMouseClick, OtherMouseClick };

    // The part of the button a click must hit, in widget coordinates: the check box or
    // radio button click rectangle, the tool button's face (or its menu arrow for a left
    // mouse command), else the whole button.
    QRect clickArea(ClickPurpose purpose);
};
