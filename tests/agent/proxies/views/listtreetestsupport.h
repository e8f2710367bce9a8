#pragma once

#include "../controls/controltestsupport.h"
#include "proxies/proxytable.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QListWidget>
#include <QMetaEnum>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QVector>

#include <functional>
#include <memory>

// A hand-written hierarchical model, so that the proxies are seen to work through the model
// interface alone. Each item has a text per column, flags and an optional check state.
class TinyModel : public QAbstractItemModel
{
public:
    struct Node
    {
        Node *parent = nullptr;
        QStringList texts;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
        QVariant checkState;
        std::vector<std::unique_ptr<Node>> children;
    };

    explicit TinyModel(int columns) : columns(columns) {}

    Node *add(Node *parent, const QStringList &texts)
    {
        parent = parent ? parent : &root;
        auto node = std::make_unique<Node>();
        node->parent = parent;
        node->texts = texts;
        parent->children.push_back(std::move(node));
        return parent->children.back().get();
    }

    QModelIndex index(int row, int column, const QModelIndex &parent) const override
    {
        const Node *node = nodeOf(parent);
        if (row < 0 || column < 0 || column >= columns || row >= int(node->children.size()))
            return QModelIndex();
        return createIndex(row, column, const_cast<Node *>(node->children[row].get()));
    }
    QModelIndex parent(const QModelIndex &child) const override
    {
        const Node *parent = child.isValid() ? nodeOf(child)->parent : nullptr;
        if (!parent || parent == &root)
            return QModelIndex();
        const auto &siblings = parent->parent->children;
        for (size_t row = 0; row < siblings.size(); ++row) {
            if (siblings[row].get() == parent)
                return createIndex(int(row), 0, const_cast<Node *>(parent));
        }
        return QModelIndex();
    }
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.column() > 0 ? 0 : int(nodeOf(parent)->children.size());
    }
    int columnCount(const QModelIndex &) const override { return columns; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const Node *node = nodeOf(index);
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return node->texts.value(index.column());
        if (role == Qt::CheckStateRole && index.column() == 0)
            return node->checkState;
        return QVariant();
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        Node *node = nodeOf(index);
        if (role == Qt::CheckStateRole)
            node->checkState = value;
        else if (role == Qt::EditRole)
            node->texts[index.column()] = value.toString();
        else
            return false;
        emit dataChanged(index, index, {role});
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? nodeOf(index)->flags : Qt::NoItemFlags;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers.value(section);
        return QVariant();
    }

    bool setHeaderData(int section, Qt::Orientation, const QVariant &value, int) override
    {
        headers.insert(section, value.toString());
        return true;
    }

    Node *nodeOf(const QModelIndex &index) const
    {
        return index.isValid() ? static_cast<Node *>(index.internalPointer())
                               : const_cast<Node *>(&root);
    }

private:
    QStringList headers;
    Node root;
    int columns;
};

// One item of a test view, with the number of its parent item (-1 at the top).
struct NodeSpec
{
    int parent;
    QStringList texts;
};

// The same items behind three kinds of list or tree view: "widget" (QListWidget or
// QTreeWidget), "standard" (a view over a QStandardItemModel) and "custom" (a view over a
// TinyModel). Hosted in a window, every item enabled, selectable, editable and checkable.
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
        } else if (kind == QLatin1String("standard")) {
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
        } else {
            auto *model = new TinyModel(columns);
            model->setParent(view);
            QVector<TinyModel::Node *> items;
            for (const NodeSpec &node : nodes) {
                items.append(
                    model->add(node.parent < 0 ? nullptr : items[node.parent], node.texts));
                TinyModel::Node *item = items.last();
                flagSetters.append([item](Qt::ItemFlags flags) { item->flags = flags; });
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
static const char *const Kinds[] = {"widget", "standard", "custom"};

// An activate with its terminating key, or a property read, through the registry as the
// dispatcher runs them. The activate returns the message it failed with (empty on success)
// after delivering what the proxy posted; the read returns the value or the message.
inline QString activate(QWidget *view, const QVariant &item, const QVariant &key,
                        const QString &classHint = QString())
{
    STApplicationProxy registry{agentProxyTable()};
    QString message;
    try {
        registry.act(STApplicationProxy::Action::Activate, view, classHint, item, key);
    } catch (const STError &error) {
        message = error.message;
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return message;
}

inline QVariant viewProperty(QWidget *view, const QString &name, const QVariant &parameter = {},
                             const QString &classHint = QString(),
                             WireText::Mode mode = WireText::Mode::Plain)
{
    STApplicationProxy registry{agentProxyTable(), mode};
    try {
        return registry.getProxyProperty(view, classHint, name, parameter);
    } catch (const STError &error) {
        return error.message;
    }
}

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
