#include "objectnameindex.h"

#include <QApplication>
#include <QChildEvent>
#include <QEvent>

#include <algorithm>

namespace {

ObjectNameIndex *currentIndex = nullptr;

// Dead entries are swept once the index holds this many more than live widgets at the last
// sweep, so an application that opens and closes dialogs all day keeps a bounded index.
constexpr int sweepSlack = 1024;

} // namespace

ObjectNameIndex::ObjectNameIndex()
{
    Q_ASSERT(!currentIndex);
    currentIndex = this;
    qApp->installEventFilter(this);
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets)
        adopt(widget);
    liveAfterSweep = entries.size();
}

ObjectNameIndex::~ObjectNameIndex()
{
    if (currentIndex == this)
        currentIndex = nullptr;
}

ObjectNameIndex *ObjectNameIndex::instance()
{
    return currentIndex;
}

bool ObjectNameIndex::wanted()
{
    return qgetenv("TESTCLIENT_NAME_INDEX") != "0";
}

void ObjectNameIndex::cover(QWidget *root)
{
    const auto found = entries.constFind(root);
    if (found == entries.constEnd() || found->widget != root)
        adoptTree(root);
}

int ObjectNameIndex::estimate(const QString &name) const
{
    const auto found = buckets.constFind(name);
    return found == buckets.constEnd() ? 0 : found->size();
}

QVector<QWidget *> ObjectNameIndex::widgetsNamed(const QString &name)
{
    QVector<QWidget *> named;
    QVector<QWidget *> renamed;
    const auto bucket = buckets.constFind(name);
    if (bucket == buckets.constEnd())
        return named;
    for (const QPointer<QWidget> &entry : *bucket) {
        if (QWidget *widget = entry.data())
            (widget->objectName() == name ? named : renamed).append(widget);
    }
    // Renamed while its signals were blocked: file it under the name it has now.
    for (QWidget *widget : qAsConst(renamed)) {
        const auto found = entries.find(widget);
        if (found != entries.end() && found->widget == widget)
            rename(widget, *found, widget->objectName());
    }
    return named;
}

bool ObjectNameIndex::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // A widget hears of its own move (below), also when its parent is told nothing;
        // other objects only through their parent, and widgets may hang below them.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (!child->isWidgetType())
            adoptTree(child);
        break;
    }
    case QEvent::ParentChange:
        if (watched->isWidgetType())
            adoptTree(watched);
        break;
    default:
        break;
    }
    return false;
}

void ObjectNameIndex::objectRenamed(const QString &name)
{
    QObject *object = sender();
    if (!object || !object->isWidgetType())
        return;
    auto *widget = static_cast<QWidget *>(object);
    const auto found = entries.find(widget);
    if (found != entries.end() && found->widget == widget)
        rename(widget, *found, name);
    else
        adopt(widget);
}

void ObjectNameIndex::adoptTree(QObject *root)
{
    // Through every child, widget or not, as the lookups themselves go.
    QVector<QObject *> pending{root};
    while (!pending.isEmpty()) {
        QObject *object = pending.takeLast();
        if (object->isWidgetType())
            adopt(static_cast<QWidget *>(object));
        // A parent that is deleting its children holds null entries for those gone.
        for (QObject *child : object->children()) {
            if (child)
                pending.append(child);
        }
    }
    sweepIfGrown();
}

void ObjectNameIndex::adopt(QWidget *widget)
{
    auto found = entries.find(widget);
    if (found != entries.end() && found->widget == widget) {
        // Known already; a name that drifted without a signal is corrected on the way.
        const QString name = widget->objectName();
        if (name != found->name)
            rename(widget, *found, name);
        return;
    }
    // New, or a new widget where a deleted one lived: its old entry is dead.
    if (found == entries.end())
        found = entries.insert(widget, Entry());
    found->widget = widget;
    found->name.clear();
    connect(widget, &QObject::objectNameChanged, this, &ObjectNameIndex::objectRenamed);
    const QString name = widget->objectName();
    if (!name.isEmpty())
        rename(widget, *found, name);
}

void ObjectNameIndex::rename(QWidget *widget, Entry &entry, const QString &name)
{
    if (!entry.name.isEmpty()) {
        const auto bucket = buckets.find(entry.name);
        if (bucket != buckets.end()) {
            bucket->removeOne(widget);
            if (bucket->isEmpty())
                buckets.erase(bucket);
        }
    }
    if (!name.isEmpty())
        buckets[name].append(widget);
    entry.name = name;
}

void ObjectNameIndex::sweepIfGrown()
{
    if (entries.size() <= 2 * liveAfterSweep + sweepSlack)
        return;
    for (auto entry = entries.begin(); entry != entries.end();) {
        if (entry->widget)
            ++entry;
        else
            entry = entries.erase(entry);
    }
    for (auto bucket = buckets.begin(); bucket != buckets.end();) {
        bucket->erase(std::remove_if(bucket->begin(), bucket->end(),
                                     [](const QPointer<QWidget> &widget) { return !widget; }),
                      bucket->end());
        if (bucket->isEmpty())
            bucket = buckets.erase(bucket);
        else
            ++bucket;
    }
    liveAfterSweep = entries.size();
}
