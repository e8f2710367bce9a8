#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>

// The application's widgets by object name, so that a lookup can start from the few widgets
// that carry a name of the path instead of reading every widget of the window.
//
// The index learns of widgets through Qt's object events, which reach an application-wide
// event filter whatever the widget's own filters do: a widget that gets a parent (its
// ParentChange, also when the parent is told nothing) or any other object that does (the
// parent's ChildAdded) is taken in with everything below it, and a rename arrives through
// objectNameChanged, connected once per widget. Deleted widgets drop
// out by themselves: entries hold QPointers, and dead ones are swept away as the index grows.
//
// What no event reports is a rename made while the widget's signals are blocked
// (QObject::blockSignals). Callers therefore treat the index as a hint: they check every
// name it gives against the widget's name now, and search the whole window whenever the
// hint does not lead to exactly one widget.
//
// At most one index exists at a time; instance() returns it. Everything runs in the GUI
// thread.
class ObjectNameIndex : public QObject
{
    Q_OBJECT

public:
    // Takes in every widget of the application and starts watching for new ones.
    ObjectNameIndex();
    ~ObjectNameIndex() override;

    static ObjectNameIndex *instance();

    // Whether the agent builds an index at all: TESTCLIENT_NAME_INDEX=0 turns it off, and
    // every lookup then reads the whole window.
    static bool wanted();

    // Takes in `root` and its descendants unless `root` was taken in already. A window
    // created without a parent is only met this way: no parent hears of it.
    void cover(QWidget *root);

    // About how many widgets carry the name (dead and renamed entries included), to pick
    // the rarest name of a path without looking at the widgets.
    int estimate(const QString &name) const;

    // The live widgets indexed under `name`, each checked to carry that name now. Entries
    // found renamed are moved to their current name.
    QVector<QWidget *> widgetsNamed(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void objectRenamed(const QString &name);

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        QString name; // the name it is indexed under; empty when it has none
    };

    void adoptTree(QObject *root);
    void adopt(QWidget *widget);
    void rename(QWidget *widget, Entry &entry, const QString &name);
    void sweepIfGrown();

    QHash<const QObject *, Entry> entries;
    QHash<QString, QVector<QPointer<QWidget>>> buckets;
    int liveAfterSweep = 0;
};
