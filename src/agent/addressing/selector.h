#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

// A path element, or a window field, that selects widgets by what a person sees on them or
// by their kind. Selectors exist in the extended mode only.
//
// Syntax (written once here; docs/extended-mode.md shows it with examples):
//
//     selector := '{' [blanks] term { blanks term } [blanks] '}'
//     term     := key '=' value        equal
//               | key '~' value        contains
//               | value                the class, as with type=
//     key      := letters, digits, '_' and '.'
//     value    := bare | quoted
//     bare     := characters other than blanks and '}', none of them a quote
//     quoted   := "'" { any character but "'" | "''" } "'"      ('' is one quote)
//
// In every value "%XX" (two hex digits) stands for the byte XX, and runs of such bytes are
// read as UTF-8: "%2C" writes the comma that a request field cannot hold, "%25" a '%'. A
// '%' not followed by two hex digits stays as it is.
//
// Keys: type (the class or any base class), name (object name), text (visibleText()),
// label (labelText()), title (a window's title, otherwise the widget's "title" property),
// tooltip, accessible (accessible name), nth (the N-th visible match, from 1); any other
// key is a Qt property of the widget, compared as text ("true", "12", "0.5").
//
// Braces never open an object name that real applications use, so an element that starts
// with '{' is always a selector (and a malformed one is an error, not a name).
class Selector
{
public:
    struct Term
    {
        QString key;
        QString value;
        bool contains = false;
    };

    // Whether an element (or window field) is written as a selector: it starts with '{'.
    static bool isSelector(const QString &element);

    // Reads an element that isSelector() accepted. On a malformed one, *error says what is
    // wrong and the selector matches nothing.
    static Selector parse(const QString &element, QString *error = nullptr);

    // A path split at every '/' outside selectors (a '/' inside braces or quotes belongs
    // to the selector), empty elements kept as the plain split keeps them.
    static QStringList splitPath(const QString &path);

    // The value as a selector writes it: bare when it is a plain word, else quoted, with
    // ',', '%', '/' and control characters written as %XX so that the result can stand in
    // a request field.
    static QString writeValue(const QString &value);
    // Whole selectors as listings write them: a class with one key and its value, and a class
    // with a position ("{QLabel text=Name:}", "{QFrame nth=2}").
    static QString write(const QString &className, const QString &key, const QString &value);
    static QString writePosition(const QString &className, int nth);

    // Every term but nth holds for the widget.
    bool matches(const QWidget *widget) const;

    int nth() const { return position; }
    bool isValid() const { return valid; }
    const QVector<Term> &terms() const { return termList; }

private:
    QVector<Term> termList;
    int position = 0; // 0: no nth term
    // Labels by parent (labelsOfChildren), for the life of this selector: one request.
    mutable QHash<const QWidget *, QHash<const QWidget *, QString>> labelCache;
    bool valid = false;
};

namespace SelectorText {

// What a person reads on the widget as its caption, mnemonic ampersands removed where the
// widget shows them: a button's, label's, line edit's or check box's text, a group box's
// or menu's title, a window's or dock's title, a tab page's tab text, a tool box page's
// title, a combo box's current text, else a "text" property of text type. Empty if none.
// `textProperties`, when given, keeps for each class whether it declares a "text" property:
// a walk of many widgets then looks each class's properties up once.
QString visibleText(const QWidget *widget,
                    QHash<const QMetaObject *, bool> *textProperties = nullptr);

// The text of the label whose buddy the widget is, of its label in a form layout, or of
// a label just left of it in a grid or a row of its layout. Empty if none.
QString labelText(const QWidget *widget);

// labelText() of each child of `parent` that has a label, in one reading of its children and
// layouts. A buddy label wins over a neighbour, a form's label over a grid's.
QHash<const QWidget *, QString> labelsOfChildren(const QWidget *parent);

} // namespace SelectorText
