#pragma once

#include "protocol/lookuperror.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QObject;
class QTextStream;
class QWidget;

// How a found window is checked against an open popup or an active modal widget.
enum class WindowCheck {
    None,    // always passes
    Strict,  // with a popup open only the popup passes; else the active modal widget (if any)
    Lenient, // with a popup open the popup and the active window pass; else as Strict
};

// The application-wide widgets a lookup is judged against, read once per request
// before the window is looked up.
struct ActiveWidgets
{
    QWidget *popup = nullptr;
    QWidget *modal = nullptr;
    QWidget *activeWindow = nullptr;

    static ActiveWidgets current();
};

// How one caller resolves a window name and a widget path.
struct ResolveVariant
{
    WindowCheck check = WindowCheck::None;
    bool popupPassesAnyWindow = false; // the mouse request's exception to the lenient check
    bool activePopupElement = false;   // last element "ActivePopupWidget" is the open popup
    bool focusWidgetElement = false;   // last element "FocusWidget" is the focus widget
    bool plainCandidates = false;      // candidates by object name only (no made-up names)
    bool selectors = false;            // the extended mode: selector elements and windows
    bool hiddenTarget = false;         // a lone hidden match is the target (not "not visible")
};

struct LookupResult
{
    LookupErrorKind kind = NoError;
    QWidget *window = nullptr; // the window, once exactly one matched
    QWidget *widget = nullptr; // the target on success
    int count = 0;             // windows matched (kind 2) or visible widgets matched (kind 7)
};

// Turns window names and widget paths into widgets, names widgets for paths, and lists
// widget trees. Shared by the wire requests and the script-side helper objects; it knows
// nothing of either.
//
// Each role has a file of its own: widgetnaming (names and paths), windowlookup,
// candidatesearch and widgetresolution (the fast resolution), treewriter, and
// referenceresolution (the plain forms the fast ones are checked against).
namespace WidgetAddressing {

// Names that no object name gives: the open popup as a path's last element
// ("ActivePopupWidget") and as a window ("Widget:ActivePopupWidget"), and the object name
// by which an unnamed modal window is reported ("ActiveModalWidget", as a window
// "Widget:ActiveModalWidget"). A widget without an object name is "unnamed" in a path.
extern const QString popupElementName;
extern const QString popupWindowName;
extern const QString modalObjectName;

// The top-level widgets that may be shown, in the order their windows were made: every
// visible one is among them. Unlike QApplication::topLevelWidgets(), the time this takes
// does not grow with the widgets of the application.
QList<QWidget *> shownTopLevels();

// Number of visible top-level widgets the name matches; a match is stored in window.
int findWindow(QWidget *&window, const QString &name);

// The acceptance check for a window that was found exactly once.
LookupErrorKind checkWindow(const QWidget *window, WindowCheck mode, const ActiveWidgets &active,
                            bool popupPassesAnyWindow = false);

// findWindow followed by the acceptance check; with selectors, a window field in braces is
// a selector (the extended mode).
LookupResult resolveWindow(const QString &name, WindowCheck mode, const ActiveWidgets &active,
                           bool popupPassesAnyWindow = false, bool selectors = false);

QString getName(const QObject *object);
QString syntheticName(QString text);

void widgetList(QList<QWidget *> &list, QWidget *root, QString name);
bool checkPath(QWidget *widget, QWidget *window, QStringList path);
// The items of the widget tree request, as UTF-8, appended to a reply line being built.
void appendWidgetTree(QByteArray &out, const QWidget *widget, int depth);

// The path by which a later request finds the widget again: names from its window down.
QString widgetPath(const QWidget *widget);

// What the record of the widget under the cursor says of the widget a user points at.
struct CursorRecord
{
    // The widget a user sees there: a spin box rather than its line edit, a view rather
    // than its viewport (one step up from the widget hit, by a fixed table of classes).
    QWidget *widget = nullptr;
    int listed = 0;  // widgets of its window that carry its name
    int visible = 0; // of those, the visible ones
    QString path;
    // The window's object name; an unnamed modal window is modalObjectName.
    QString windowName;
    // The window field that finds the widget's window again: its title.
    QString windowField;

    // The record of an open popup menu: the popup as a script names it, one of its kind,
    // in the window of the popup names.
    CursorRecord asPopup() const;
};
CursorRecord cursorRecord(QWidget *hit);

// The whole resolution step of the widget requests and of the script-side getWidget:
// the window through the application's windows, then one walk of the window's tree that
// tests every naming rule at once.
LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant,
                           const ActiveWidgets &active = ActiveWidgets::current());

// The extended mode: the first malformed selector (selector.h) of a window field and a
// path, as the message of the error reply; empty when all of them read.
QString selectorSyntaxError(const QString &windowField, const QString &path);

} // namespace WidgetAddressing
