#pragma once

class QString;

namespace OxSquishProxy {

// Outcome of the script side's own searches (the hierarchical search and the tray icon
// lookup). One value is shared by every script-side object in the process; a script reads
// it by name right after the search it asked for.
enum SearchErrorKind {
    SearchNoError = 0,
    SearchWidgetAmbiguous = 1,
    SearchWidgetNotFound = 2,
    SearchWidgetNotVisible = 3, // part of the published table, never produced
    SearchInvalidWidgetPath = 4,
};

// "NoError", "WidgetAmbiguousError", "WidgetNotFoundError", "WidgetNotVisibleError",
// "InvalidWidgetPath"; the empty text for any other value.
QString searchErrorName(int kind);

} // namespace OxSquishProxy
