#pragma once

#include <QByteArray>
#include <QSize>

// Qt's offscreen platform presents one screen of 800x600, smaller than the main windows of
// most desktop programs: a point past its right or bottom edge lies on no screen, so
// nothing there can be clicked (a wide window's menu bar, say), and windows are placed and
// limited for that small screen. testclient-run names a size for its headless mode in
// TESTCLIENT_SCREEN ("1920x1080"); the plug-in, which Qt makes while the application
// object is constructed and so before the program shows a window, gives the screen that
// size. The offscreen platform keeps 800x600 for one thing only: a maximised window.
namespace HeadlessScreen {

extern const char environmentVariable[];

// "WIDTHxHEIGHT", each from 320 to 16384; an empty size for anything else.
QSize parse(const QByteArray &text);

// Gives the offscreen platform's screen the size that the environment names. Returns
// that size, or an empty one where nothing changed (another platform, no or a bad size).
QSize apply();

} // namespace HeadlessScreen
