#pragma once

#include "widgetaddressing.h"

// How each request finds what it works on: its window (field 1) and, for the widget
// requests, the widget (field 2). One named policy per kind of request; the dispatcher's
// table names the policy of each request code.
struct LookupPolicy
{
    // The resolution in the plain mode; the extended mode's adds selectors to it and the
    // extras below.
    ResolveVariant variant;
    // Extended mode: a lone hidden match is the target, and "FocusWidget" the focus widget
    // (a tester reads a hidden panel's "visible" and the focused widget's properties).
    bool readsHiddenWithSelectors = false;
    // An empty path is where a keyboard's keys would go once the window is active: its
    // focus widget, or the window itself when nothing in it has the focus.
    bool emptyPathIsFocus = false;
};

namespace LookupPolicies {

extern const LookupPolicy anyWindow;     // the window as named, no check (2, 20, 21, 22)
extern const LookupPolicy enabledWindow; // the popup or active modal window only (8, 10, 11)
extern const LookupPolicy pointing;      // 4: candidates by object name only
extern const LookupPolicy reading;       // 7, 22: property reads
extern const LookupPolicy acting;        // 5, 6: the lenient window check
extern const LookupPolicy clicking;      // 9: acting, and the popup passes for any window
extern const LookupPolicy pressing;      // 23: acting, an empty path is the focus widget

} // namespace LookupPolicies

// The outcome of a request's lookup: a selector that does not read fails it before any
// widget is looked at, with its message.
struct RequestLookup
{
    QString malformed;
    LookupResult found;
};

namespace WidgetAddressing {

// With selectors (the extended mode) window fields in braces and path elements are
// selectors too.
RequestLookup lookUpWindow(const QString &window, const LookupPolicy &policy, bool selectors);
RequestLookup lookUpWidget(const QString &window, const QString &path, const LookupPolicy &policy,
                           bool selectors);

} // namespace WidgetAddressing
