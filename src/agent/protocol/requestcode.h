#pragma once

// The request codes: field 0 of a request line (wireprotocol.h). Any other code is
// answered "8,Command not found", and so are the extended mode's codes while the agent is
// not in it.
enum class RequestCode {
    ListWindows = 1,
    WindowTree = 2,
    WidgetAtCursor = 3,
    PointAtWidget = 4,
    Activate = 5,
    Enter = 6,
    Property = 7,
    CheckWindow = 8,
    Mouse = 9,
    MoveWindow = 10,
    ResizeWindow = 11,
    TrayIconGeometry = 12,

    // The extended mode only.
    ListWindowsExtended = 20, // every visible window with its object name, class and address
    ListWidgets = 21,         // a window's visible widgets, each with its shortest address
    Grab = 22,                // a PNG of a window or widget
    Key = 23,                 // a key sequence pressed on a widget or a window's focus widget
    StartRecording = 24,      // the user's input becomes steps from now on
    StopRecording = 25,       // no more steps
    RecordedSteps = 26,       // the steps so far, as requests
};
