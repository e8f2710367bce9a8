#pragma once

#include <QRect>
#include <QString>
#include <QVector>

class QWidget;

// What a spy or a test generator needs in one request (the extended mode): every visible
// window or widget with an address that finds exactly it now, the shortest of the most
// lasting kind.
namespace WidgetCatalog {

struct WindowEntry
{
    QWidget *window = nullptr;
    QString address; // a window field: title prefix, Widget:<objectName> or a selector
};

// The visible windows in the order of the window list, each with the first of these that
// finds exactly it: "Widget:" and its object name, {Class} for a class of the program's own,
// its title (up to a comma), {Class} for one of Qt's classes, {Class title=...},
// {Class nth=N}. A title comes after what the program named, which it keeps while the title
// follows the document or the state shown.
QVector<WindowEntry> windows();

struct WidgetEntry
{
    QWidget *widget = nullptr;
    int depth = 0;      // below the window, which is 0
    QString objectName; // read in the walk: another pass would wait on memory for it again
    QString text;       // what the text key of a selector compares
    QString path;       // names from the window down, as the widget under the cursor reports it
    QString address;    // a path that resolves to exactly this widget
    // Read in the same walk, for the listing only (empty for widgetAddress):
    const QMetaObject *meta = nullptr;
    QRect geometry; // in the window's coordinates
    bool enabled = false;
    bool focus = false;
};

// The visible widgets of the window (the window first, then in tree order; widgets of other
// windows parented inside it are left to their own listing). `windowField` is the window
// field that found the window; every address is confirmed to resolve under it.
//
// An address is, in this order of preference: a path of names whose last element is an
// object name or a made-up name (the name alone, under its parent, or under a named
// ancestor); a selector by class alone or by class and text, label, tool tip or accessible
// name (the shortest that is unique); a selector by class and position among the widgets with the
// same text, or below the nearest ancestor that has a path of names, or in the window. The text
// of a field (its value) and of the window (its title) is never part of an address: both change
// while the program runs.
QVector<WidgetEntry> widgets(QWidget *window, const QString &windowField);

// The address windows() gives a visible window; empty for anything else.
QString windowAddress(QWidget *window);

// The address widgets() gives the widget in the listing of its window, found by
// `windowField`, without making the addresses of the others; empty when the widget is not
// listed (hidden, or in a window parented inside that one).
QString widgetAddress(QWidget *widget, const QString &windowField);

// The address widgetAddress gives when lookups of names alone find it (an object name, a
// made-up name or a path of names); empty where the address needs a count of the window.
// With anchoredFirst (the recorder, deciding at a click) a path from the nearest ancestors
// with an object name comes before a unique made-up name alone: the index finds them, so
// the lookup reads only what lies below them rather than the whole window.
QString namedAddress(QWidget *widget, const QString &windowField, bool anchoredFirst);

// Qt's own classes are named Q and a capital letter, outside any namespace: they say what
// kind of widget or window it is, not which one.
bool isQtClass(const char *className);
// The Qt class a widget of class `meta` is, or derives from: an application's Editor is a
// QPlainTextEdit.
QLatin1String qtClassName(const QMetaObject *meta);

} // namespace WidgetCatalog
