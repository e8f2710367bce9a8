#pragma once

#include "wiretext.h"

#include <QString>

// The texts of buttons, tabs, menu items and group boxes mark their mnemonic with '&'.
// Replies and comparisons use them without it, by one of two rules:
//   - the plain mode's own: the first '&' is dropped and any further one stays, so
//     "&Save && Load" reads "Save && Load";
//   - Qt's, as the widget shows the text: "&&" is one '&' and any other '&' is dropped, so
//     "&Save && Load" reads "Save & Load". Selectors, listings, recorded steps and every
//     read and comparison of the extended mode use it, so a text read in one place finds
//     the widget in any other.
namespace Mnemonics {

QString withoutFirstAmpersand(const QString &text);
QString shownText(const QString &text);

// The rule of the mode.
QString withoutMnemonic(const QString &text, WireText::Mode mode);

} // namespace Mnemonics
