#pragma once

class QString;

// The outcome of one window-and-widget lookup. The wire reports kinds 1 to 7 as the
// numbered error replies; the script side reports them by name.
enum LookupErrorKind {
    NoError = 0,
    WindowNotFoundError = 1,
    WindowAmbiguousError = 2,
    WindowNotActivePopupError = 3,
    WindowNotActiveModalError = 4,
    WidgetNotFoundError = 5,
    WidgetNotVisibleError = 6,
    WidgetAmbiguousError = 7,
};

// "NoError" ... "WidgetAmbiguousError"; the empty text for any other value.
QString lookupErrorName(int kind);
