#pragma once

#include <QRect>
#include <QStyle>

class QWidget;

// The parts of a widget that a user aims at when the widget's style, not its plain
// rectangle, decides where they lie. Rectangles are in the widget's own coordinates; each
// is computed from a style option initialised from the widget alone (no text, no icon),
// as the style itself does when it lays the widget out. Shared by the proxies and the
// outside tool's click-point slots, so that both click the same spot.
namespace ClickAreas {

// Indicator plus label of a check box or radio button.
QRect checkBoxClickRect(const QWidget *checkBox);
QRect radioButtonClickRect(const QWidget *radioButton);
// The check box in a checkable group box's title.
QRect groupBoxCheckRect(const QWidget *groupBox);
// One part of a tool button: its face (QStyle::SC_ToolButton) or, for a button whose
// menu pops up from a separate arrow, that arrow (QStyle::SC_ToolButtonMenu).
QRect toolButtonPartRect(const QWidget *toolButton, QStyle::SubControl part);
// The text part of a spin box or date/time edit, between its frame and its arrows.
QRect spinBoxEditFieldRect(const QWidget *spinBox);

} // namespace ClickAreas
