#pragma once

#include "stqbutton.h"

// Check boxes: activate names the state the box must end in (a three-state box's partial
// state too, in the extended mode).
class STQCheckBox : public STQButton
{
public:
    void activate(const QVariant &first, const QVariant &second) override;
};
