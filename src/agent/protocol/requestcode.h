#pragma once

// The request codes: field 0 of a request line (wireprotocol.h). Any other code is
// answered "8,Command not found".
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
};
