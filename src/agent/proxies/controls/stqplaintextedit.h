#pragma once

#include "stqtextedit.h"

// Plain text edits, and the editors that applications derive from them (SpeedCrunch's
// expression editor): entered exactly as a QTextEdit.
class STQPlainTextEdit : public STQTextEdit
{
public:
    STQPlainTextEdit();
};
