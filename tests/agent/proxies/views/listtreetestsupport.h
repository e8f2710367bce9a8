#pragma once

#include "../controls/controltestsupport.h"
#include "proxies/proxytable.h"

#include <QAbstractItemView>
#include <QListWidget>
#include <QMetaEnum>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QVector>

#include <functional>

// One item of a test view, with the number of its parent item (-1 at the top).
struct NodeSpec
{
    int parent;
    QStringList texts;
};

// The same items behind two kinds of list or tree view: "widget" (QListWidget or
// QTreeWidget, whose proxies read the widget's own API where it has one) and "standard" (a
// view over a QStandardItemModel, read through the model interface alone: a proxy that
// relied on either model's class would fail the other kind's rows). Hosted in a window,
// every item enabled, selectable, editable and checkable.
struct ShownView
{
    ShownView(const QString &kind, bool tree, const QVector<NodeSpec> &nodes)
        : host(newView(kind, tree)), view(static_cast<QAbstractItemView *>(host.widget)),
          nodes(nodes)
    {
        const int columns = nodes.value(0).texts.size();
        if (auto *list = qobject_cast<QListWidget *>(view)) {
            for (const NodeSpec &node : nodes) {
                auto *item = new QListWidgetItem(node.texts[0], list);
                flagSetters.append([item](Qt::ItemFlags flags) { item->setFlags(flags); });
            }
        } else if (auto *tree = qobject_cast<QTreeWidget *>(view)) {
            tree->setColumnCount(columns);
            QVector<QTreeWidgetItem *> items;
            for (const NodeSpec &node : nodes) {
                auto *item = node.parent < 0 ? new QTreeWidgetItem(tree, node.texts)
                                             : new QTreeWidgetItem(items[node.parent], node.texts);
                items.append(item);
                flagSetters.append([item](Qt::ItemFlags flags) { item->setFlags(flags); });
            }
        } else {
            auto *model = new QStandardItemModel(0, columns, view);
            QVector<QStandardItem *> items;
            for (const NodeSpec &node : nodes) {
                QList<QStandardItem *> row;
                for (const QString &text : node.texts)
                    row.append(new QStandardItem(text));
                (node.parent < 0 ? model->invisibleRootItem() : items[node.parent])->appendRow(row);
                items.append(row[0]);
                flagSetters.append([row](Qt::ItemFlags flags) {
                    for (QStandardItem *cell : row)
                        cell->setFlags(flags);
                });
            }
            view->setModel(model);
        }
        for (const auto &setFlags : qAsConst(flagSetters))
            setFlags(AllFlags);
    }
    static QWidget *newView(const QString &kind, bool tree)
    {
        if (kind == QLatin1String("widget"))
            return tree ? static_cast<QWidget *>(new QTreeWidget) : new QListWidget;
        return tree ? static_cast<QWidget *>(new QTreeView) : new QListView;
    }
    // The index of an item, in column 0.
    QModelIndex index(int node) const
    {
        const int parent = nodes[node].parent;
        int row = 0;
        for (int other = 0; other < node; ++other)
            row += nodes[other].parent == parent ? 1 : 0;
        return view->model()->index(row, 0, parent < 0 ? QModelIndex() : index(parent));
    }
    // Shows the window with the given item current (none for -1); the recorder then starts.
    bool show(int current)
    {
        if (!host.show())
            return false;
        view->setCurrentIndex(current < 0 ? QModelIndex() : index(current));
        recorder.watch(view);
        return true;
    }
    // The type error of the view for the given accepted argument types.
    QString typeError(const char *accepted) const
    {
        return QStringLiteral("Type error: object \"widget\" of class \"%1\" accepts %2.")
            .arg(view->metaObject()->className(), accepted);
    }

    static constexpr Qt::ItemFlags AllFlags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsUserCheckable;
    Hosted host;
    QAbstractItemView *view;
    QVector<NodeSpec> nodes;
    QVector<std::function<void(Qt::ItemFlags)>> flagSetters;
    EventRecorder recorder{{QEvent::KeyPress}};
};

// The rows of a table that repeats its cases for each kind of view: tagged "kind: tag",
// with the kind in the first column.
inline QTestData &kindRow(const char *kind, const char *tag)
{
    return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(kind, tag))) << QString(kind);
}
static const char *const Kinds[] = {"widget", "standard"};

// The keys the recorder saw pressed, by name with their modifiers, characters as they are:
// "<Up><Down><Shift+Home><Control+V>x"; Space is "<Space>" whether it types or not.
inline QString pressedKeys(const EventRecorder &recorder)
{
    QString keys;
    for (const EventRecorder::Entry &entry : recorder.entries()) {
        if (entry.type != QEvent::KeyPress)
            continue;
        if (!entry.text.isEmpty() && entry.key != Qt::Key_Space) {
            keys += entry.text;
            continue;
        }
        QString name = QString::fromLatin1(QMetaEnum::fromType<Qt::Key>().valueToKey(entry.key));
        name.remove(0, 4); // "Key_"
        if (entry.modifiers & Qt::ShiftModifier)
            name.prepend(QLatin1String("Shift+"));
        if (entry.modifiers & Qt::ControlModifier)
            name.prepend(QLatin1String("Control+"));
        keys += QLatin1Char('<') + name + QLatin1Char('>');
    }
    return keys;
}

// Records the keys of the view and of every editor it opens, in the order they arrive.
class EditorWatcher : public QObject
{
public:
    EditorWatcher(QAbstractItemView *view, EventRecorder *recorder) : recorder(recorder)
    {
        recorder->watch(view);
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Editors are children of the viewport.
        if (event->type() == QEvent::ChildAdded) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                recorder->watch(child);
        }
        return false;
    }

private:
    EventRecorder *recorder;
};
