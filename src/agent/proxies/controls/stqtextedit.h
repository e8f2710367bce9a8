#pragma once

#include "proxies/framework/stwidgetproxy.h"

// Rich and plain text edits: the whole document is replaced by typed text, in the extended
// mode with each line feed typed as Return. The proxy of QTextEdit, and the base of
// QPlainTextEdit's (stqplaintextedit.h): it needs no more of an editor than the properties
// readOnly and plainText, which both classes have.
class STQTextEdit : public STWidgetProxy
{
public:
    STQTextEdit();
    void enter(const QVariant &value) override;

protected:
    // The proxy of another editor class with those two properties.
    explicit STQTextEdit(const char *editorClass);

private:
    const char *editorClass;
};
