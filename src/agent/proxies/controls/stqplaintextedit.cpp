#include "stqplaintextedit.h"

STQPlainTextEdit::STQPlainTextEdit() : STQTextEdit("QPlainTextEdit") {}
