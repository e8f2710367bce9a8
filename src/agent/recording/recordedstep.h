#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractItemView;
class QModelIndex;

// A place a step happens at: the widget, the window field that finds its window and the
// address that finds exactly it there. Both are decided once, when first needed (the steps
// are fetched, or the widget's window is about to close): reading them costs a count of the
// window where the widget has no name, which a person's every press must not pay.
struct RecordTarget
{
    QPointer<QWidget> widget;
    QString window;
    QString address;
    bool resolved = false;
    bool onWindow = false; // the window itself, whose field is the empty path

    // Whether a step can be made there: the widget lives or, once decided, was found.
    bool isValid() const;
    // Decides the window field and address now, unless decided before; whether both were
    // found (the widget is still shown).
    bool resolve();
    // Decides them now only where lookups of names find the address (WidgetCatalog::
    // namedAddress), which costs no count of the window; the others wait for resolve().
    void resolveNamed();
    // Whether the widget lies in what is about to go: a widget, or a window's handle.
    bool isIn(const QObject *going) const;

    static RecordTarget of(QWidget *widget);
    // A place decided already, which no widget stands for (a Qt Quick item).
    static RecordTarget decided(const QString &window, const QString &address);
    // Keys go to the widget with the focus; on the window itself, its empty path.
    static RecordTarget forKeys(QWidget *receiver);
};

// What the person meant, as the request that does it again: its code, window field,
// address and typed values ("s:Ada", "b:true", "i:3"). The clients write request lines or
// calls of their own API from these fields; a comment step (code 0) replays nothing and
// says what was done but not recorded.
struct RecordedStep
{
    int code = 0;
    RecordTarget target;
    QStringList values;
    // Text typed into a password field: the step has no value, which the replay brings
    // from elsewhere; the password itself never leaves the program.
    bool secret = false;
    QString comment;

    bool isComment() const { return code == 0; }
    // The request line as the driver sends it, or "# " and the comment.
    QString requestLine() const;
};

// The step makers: one per kind of step, each deciding only the values.
namespace RecordedSteps {

RecordedStep activate(const RecordTarget &target, const QStringList &values = {});
RecordedStep enter(const RecordTarget &target, const QString &text, bool secret);
RecordedStep key(const RecordTarget &target, const QString &keys);
RecordedStep mouse(const RecordTarget &target, const QString &command);
RecordedStep comment(const RecordTarget &target, const QString &text);

// The values of the activate that makes the view's item current, as the view's proxy names
// it: a list item, a tree path, a table cell, else a model path selected alone.
QStringList itemActivateValues(const QAbstractItemView *view, const QModelIndex &index);
// The value of an activate that checks or unchecks.
QString checkValue(bool checked);
// The value of the activate that leaves a checkable button, group box or menu item in the
// state it is in: a three-state box's partial state is one of its own.
QString stateValue(const QObject *checkable);

} // namespace RecordedSteps
