#include "widgetcatalog.h"

#include "candidatesearch.h"
#include "selector.h"
#include "selectorresolution.h"
#include "widgetaddressing.h"
#include "widgetnaming.h"

#include <QHash>
#include <QMetaObject>
#include <QMetaProperty>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace WidgetCatalog {

namespace {

const QChar keySeparator(0x1f);

QString selectorOf(const QString &className, const QString &key, const QString &value)
{
    return QLatin1Char('{') + className + QLatin1Char(' ') + key + QLatin1Char('=') +
           Selector::writeValue(value) + QLatin1Char('}');
}

QString positionSelector(const QString &className, int nth)
{
    return QLatin1Char('{') + className + QStringLiteral(" nth=") + QString::number(nth) +
           QLatin1Char('}');
}

// A name that can stand as a path element on the wire: not empty, no separator, no
// selector, none of the names that address a widget by the application's state.
bool usableElement(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char(',')) && !Selector::isSelector(name) &&
           name != WidgetAddressing::popupElementName && name != QLatin1String("FocusWidget");
}

// Whether the text a selector compares is the value a person edits (a line edit's text, a
// combo box's current item, a spin box's number): an address by it is gone after the first
// edit. By class, so a window of many widgets asks once per class.
bool textIsValue(const QMetaObject *meta, QHash<const QMetaObject *, bool> &known)
{
    auto found = known.constFind(meta);
    if (found != known.constEnd())
        return *found;
    bool value = qstrcmp(meta->userProperty().name(), "text") == 0;
    for (const QMetaObject *base = meta; base && !value; base = base->superClass()) {
        const char *name = base->className();
        value = !qstrcmp(name, "QLineEdit") || !qstrcmp(name, "QComboBox") ||
                !qstrcmp(name, "QAbstractSpinBox");
    }
    known.insert(meta, value);
    return value;
}

QStringList classChain(const QWidget *widget)
{
    QStringList chain;
    for (const QMetaObject *meta = widget->metaObject(); meta; meta = meta->superClass())
        chain.append(QString::fromLatin1(meta->className()));
    return chain;
}

// A visible widget met in tree order, with what its address is made of.
struct Item
{
    QWidget *widget = nullptr;
    int depth = 0;
    bool listed = false; // in the window itself rather than in a window parented inside it
    QString name;        // by the naming rules
    QStringList classes; // its class and base classes
    QString text;
    bool textChanges = false; // a field's value or the window's title
    QString label;
    QString toolTip;
    QString accessible;
    int nth = 0;     // among the visible widgets of its class (and subclasses) in the window
    int textNth = 0; // the same, among those with its text
};

void collect(QWidget *widget, int depth, QWidget *window, QVector<Item> &items)
{
    Item item;
    item.widget = widget;
    item.depth = depth;
    item.listed = widget->window() == window;
    items.append(item);
    // The order of findChildren: through every child object, widget or not.
    std::function<void(QObject *)> below = [&](QObject *object) {
        for (QObject *child : object->children()) {
            if (child->isWidgetType()) {
                QWidget *childWidget = static_cast<QWidget *>(child);
                if (childWidget->isVisible())
                    collect(childWidget, depth + 1, window, items);
            } else if (!child->children().isEmpty()) {
                below(child);
            }
        }
    };
    below(widget);
}

// Per class (and base class) and attribute value: how many visible widgets carry it.
class Tally
{
public:
    void add(const Item &item, const char *key, const QString &value)
    {
        if (value.isEmpty())
            return;
        for (const QString &className : item.classes)
            ++counts[className + keySeparator + QLatin1String(key) + keySeparator + value];
    }
    int count(const QString &className, const char *key, const QString &value) const
    {
        return counts.value(className + keySeparator + QLatin1String(key) + keySeparator + value);
    }

private:
    QHash<QString, int> counts;
};

// An ancestor with an address of names, and how many visible widgets of each class lie
// below it so far in tree order.
struct Anchor
{
    int depth = 0;
    QString address;
    QHash<QString, int> seen;
};

class Catalog
{
public:
    Catalog(QWidget *window, const QString &windowField) : window(window), windowField(windowField)
    {
    }

    // Every listed widget with its address; with a target, only the target (when it is
    // listed): the tallies then count only the widgets of its class, and addresses, which
    // each cost lookups, are made only for the target and the ancestors its address may
    // start from.
    QVector<WidgetEntry> run(const QWidget *target = nullptr)
    {
        readItems(target);

        QVector<WidgetEntry> entries;
        QVector<Anchor> anchors;
        for (const Item &item : qAsConst(items)) {
            while (!anchors.isEmpty() && anchors.last().depth >= item.depth)
                anchors.removeLast();
            for (Anchor &anchor : anchors) {
                for (const QString &className : item.classes)
                    ++anchor.seen[className];
            }
            if (!item.listed)
                continue;
            if (target && item.widget != target && !item.widget->isAncestorOf(target))
                continue;

            if (target && item.widget != target) {
                // An ancestor of the target matters only as the start of its address.
                const QString named = lookedUpNameAddress(item.widget, false);
                if (!named.isEmpty())
                    anchors.append({item.depth, named, {}});
                continue;
            }

            WidgetEntry entry;
            entry.widget = item.widget;
            entry.depth = item.depth;
            entry.text = item.text;
            entry.path = WidgetAddressing::widgetPath(item.widget);
            bool byNames = false;
            entry.address = addressOf(item, anchors, &byNames);
            entries.append(entry);
            if (byNames) {
                Anchor anchor;
                anchor.depth = item.depth;
                anchor.address = entry.address;
                anchors.append(anchor);
            }
            if (item.widget == target)
                return {entry};
        }
        return target ? QVector<WidgetEntry>() : entries;
    }

    // The address nameAddress gives, without counting the window's names first: the name
    // alone when it finds exactly the widget, else the paths below the widget's parent or
    // a named ancestor, or from the window. Each costs a lookup, where a count of the
    // window costs reading every widget in it.
    // With anchoredFirst, a path from the nearest ancestors with an object name comes
    // first: the index finds them, and the lookup reads only what lies below them.
    QString lookedUpNameAddress(QWidget *widget, bool anchoredFirst) const
    {
        Item item;
        item.widget = widget;
        item.name = WidgetNaming::nameOf(widget, nullptr);
        if (!usableElement(item.name) || item.name == WidgetNaming::unnamedName)
            return QString();
        const QString anchored = anchoredFirst ? namePathAddress(item, true) : QString();
        if (!anchored.isEmpty())
            return anchored;
        if (findsExactly(item.name, widget))
            return item.name;
        return namePathAddress(item);
    }

private:
    // The visible widgets in tree order, with what their addresses are made of, and the
    // counts that tell which of those are unique.
    void readItems(const QWidget *target)
    {
        collect(window, 0, window, items);
        // For one target only the widgets of its class count: the others are passed by.
        const char *targetClass = target ? target->metaObject()->className() : nullptr;
        WidgetNaming::DialogButtonNames dialogNames;
        QHash<QString, int> classSeen;
        QHash<QString, int> textSeen;
        for (Item &item : items) {
            if (target && !item.widget->inherits(targetClass))
                continue;
            read(item, dialogNames);
            ++names[item.name];
            for (const QString &className : qAsConst(item.classes))
                ++classSeen[className];
            item.nth = classSeen.value(item.classes.first());
            if (!item.text.isEmpty()) {
                for (const QString &className : qAsConst(item.classes))
                    ++textSeen[className + keySeparator + item.text];
                item.textNth = textSeen.value(item.classes.first() + keySeparator + item.text);
            }
            tally.add(item, "text", item.text);
            tally.add(item, "label", item.label);
            tally.add(item, "tooltip", item.toolTip);
            tally.add(item, "accessible", item.accessible);
        }
        classTotals = classSeen;
    }

    void read(Item &item, WidgetNaming::DialogButtonNames &dialogNames)
    {
        item.name = WidgetNaming::nameOf(item.widget, &dialogNames);
        item.classes = classChain(item.widget);
        item.text = SelectorText::visibleText(item.widget);
        // A window's title, like a field's value, follows what the program shows.
        item.textChanges =
            !item.text.isEmpty() &&
            (item.widget == window || textIsValue(item.widget->metaObject(), valueClasses));
        if (const QWidget *parent = item.widget->parentWidget()) {
            auto labels = labelsByParent.find(parent);
            if (labels == labelsByParent.end())
                labels = labelsByParent.insert(parent, SelectorText::labelsOfChildren(parent));
            item.label = labels->value(item.widget);
        }
        item.toolTip = item.widget->toolTip();
        item.accessible = item.widget->accessibleName();
    }

    bool findsExactly(const QString &path, const QWidget *widget) const
    {
        ResolveVariant variant;
        variant.selectors = true;
        const LookupResult found = WidgetAddressing::resolveWidget(windowField, path, variant);
        return found.kind == NoError && found.widget == widget;
    }

    // A path of names ending in the widget's own name: alone, under its parent, under a
    // named ancestor, or all the way from the window. Alone only when the window's names
    // were counted (run()) and the name is unique among them.
    QString nameAddress(const Item &item) const
    {
        const QString &last = item.name;
        if (!usableElement(last) || last == WidgetNaming::unnamedName)
            return QString();
        if (names.value(last) == 1 && findsExactly(last, item.widget))
            return last;
        return namePathAddress(item);
    }

    // The paths of names below the widget's parent or a named ancestor, or from the window.
    QString namePathAddress(const Item &item, bool anchoredOnly = false) const
    {
        const QString &last = item.name;

        QStringList tried;
        const QWidget *parent = item.widget->parentWidget();
        if (parent && item.widget != window) {
            const QString parentName = WidgetAddressing::getName(parent);
            if (usableElement(parentName) && parentName != WidgetNaming::unnamedName)
                tried << parentName + QLatin1Char('/') + last;
            int named = 0;
            for (const QWidget *above = parent->parentWidget(); above && named < 3;
                 above = above->parentWidget()) {
                const QString aboveName = WidgetAddressing::getName(above);
                if (usableElement(aboveName) && aboveName != WidgetNaming::unnamedName) {
                    tried << aboveName + QLatin1String("//") + last;
                    ++named;
                }
                if (above == window)
                    break;
            }
        }
        const QString fullPath = WidgetAddressing::widgetPath(item.widget);
        const QStringList elements = fullPath.split(QLatin1Char('/'));
        // Only with an object name on the way is the path looked up without reading the
        // whole window, once for each widget listed.
        if (std::all_of(elements.begin(), elements.end(), usableElement) &&
            std::any_of(elements.begin(), elements.end(), CandidateSearch::onlyObjectNameMatches))
            tried << fullPath;
        // A path anchored at the window reads all of it, as the name alone does.
        const QString windowName = anchoredOnly ? WidgetAddressing::getName(window) : QString();
        for (const QString &path : qAsConst(tried)) {
            const QString first = path.section(QLatin1Char('/'), 0, 0);
            if (anchoredOnly &&
                (first == windowName || !CandidateSearch::onlyObjectNameMatches(first)))
                continue;
            if (findsExactly(path, item.widget))
                return path;
        }
        return QString();
    }

    QString addressOf(const Item &item, const QVector<Anchor> &anchors, bool *byNames) const
    {
        *byNames = false;
        const QString named = nameAddress(item);
        if (!named.isEmpty()) {
            *byNames = true;
            return named;
        }

        const QString &className = item.classes.first();
        QString best;
        const auto consider = [&](const char *key, const QString &value) {
            if (value.isEmpty() || tally.count(className, key, value) != 1)
                return;
            const QString candidate = selectorOf(className, QLatin1String(key), value);
            if (best.isEmpty() || candidate.size() < best.size())
                best = candidate;
        };
        if (classTotals.value(className) == 1)
            best = QLatin1Char('{') + className + QLatin1Char('}');
        if (!item.textChanges)
            consider("text", item.text);
        consider("label", item.label);
        consider("tooltip", item.toolTip);
        consider("accessible", item.accessible);
        if (!best.isEmpty())
            return best;

        // Among the widgets that show the same text, or counted below the nearest ancestor
        // with a path of names: either position stays right when other parts of the window
        // change. A field's value or a window's title is no part of an address: a position
        // outlasts it.
        if (!item.text.isEmpty() && !item.textChanges && item.text.size() < 40) {
            return QLatin1Char('{') + className + QStringLiteral(" text=") +
                   Selector::writeValue(item.text) + QStringLiteral(" nth=") +
                   QString::number(item.textNth) + QLatin1Char('}');
        }
        if (!anchors.isEmpty() && anchors.last().depth > 0) {
            const Anchor &nearest = anchors.last();
            return nearest.address + QLatin1String("//") +
                   positionSelector(className, nearest.seen.value(className));
        }
        return positionSelector(className, item.nth);
    }

    QWidget *window;
    const QString &windowField;
    QVector<Item> items;
    QHash<QString, int> names;
    QHash<QString, int> classTotals; // visible widgets per class, its subclasses included
    QHash<const QWidget *, QHash<const QWidget *, QString>> labelsByParent;
    QHash<const QMetaObject *, bool> valueClasses; // whose text is the value a person edits
    Tally tally;
};

// Qt's own classes are named Q and a capital letter, outside any namespace; they say what
// kind of window it is, not which one.
bool isQtClass(const QString &className)
{
    return className.size() > 1 && className.at(0) == QLatin1Char('Q') &&
           className.at(1).isUpper() && !className.contains(QLatin1Char(':'));
}

QString windowAddress(QWidget *window, const QWidgetList &shown)
{
    const auto findsExactly = [window](const QString &field) {
        QWidget *found = nullptr;
        return SelectorResolution::findWindow(found, field) == 1 && found == window;
    };

    // What the program named stays while the title follows the document or the state
    // shown: the object name, then a class of the program's own, and only then the title.
    QStringList tried;
    const QString name = window->objectName();
    if (!name.isEmpty() && !name.contains(QLatin1Char(',')))
        tried << QStringLiteral("Widget:") + name;
    const QString className = QString::fromLatin1(window->metaObject()->className());
    const QString bare = QLatin1Char('{') + className + QLatin1Char('}');
    if (!isQtClass(className))
        tried << bare;
    const QString title = window->windowTitle().section(QLatin1Char(','), 0, 0);
    if (!title.isEmpty() && !title.startsWith(QLatin1String("Widget:")) &&
        !Selector::isSelector(title))
        tried << title;
    if (name.isEmpty())
        tried << QStringLiteral("Widget:");
    if (isQtClass(className))
        tried << bare;
    if (!window->windowTitle().isEmpty())
        tried << selectorOf(className, QStringLiteral("title"), window->windowTitle());
    for (const QString &field : qAsConst(tried)) {
        if (findsExactly(field))
            return field;
    }

    int nth = 0;
    for (const QWidget *candidate : shown) {
        if (candidate->isVisible() && candidate->inherits(className.toLatin1().constData()))
            ++nth;
        if (candidate == window)
            break;
    }
    return positionSelector(className, nth);
}

} // namespace

QVector<WindowEntry> windows()
{
    QVector<WindowEntry> entries;
    const QWidgetList shown = WidgetAddressing::shownTopLevels();
    for (QWidget *window : shown) {
        if (!window->isWindow() || !window->isVisible())
            continue;
        entries.append({window, windowAddress(window, shown)});
    }
    return entries;
}

QVector<WidgetEntry> widgets(QWidget *window, const QString &windowField)
{
    return Catalog(window, windowField).run();
}

QString windowAddress(QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible())
        return QString();
    return windowAddress(window, WidgetAddressing::shownTopLevels());
}

QString widgetAddress(QWidget *widget, const QString &windowField)
{
    const QString named = namedAddress(widget, windowField, false);
    if (!named.isEmpty() || !widget)
        return named;
    const QVector<WidgetEntry> found = Catalog(widget->window(), windowField).run(widget);
    return found.isEmpty() ? QString() : found.first().address;
}

QString namedAddress(QWidget *widget, const QString &windowField, bool anchoredFirst)
{
    if (!widget)
        return QString();
    // An object name that finds exactly the widget is the address the listing would give
    // first, and the index finds it without counting the window.
    const QString name = widget->objectName();
    if (usableElement(name) && CandidateSearch::onlyObjectNameMatches(name)) {
        ResolveVariant variant;
        variant.selectors = true;
        const LookupResult named = WidgetAddressing::resolveWidget(windowField, name, variant);
        if (named.kind == NoError && named.widget == widget)
            return name;
    }
    // Then the widget's name, or a path of names ending in it, found by lookups alone.
    return Catalog(widget->window(), windowField).lookedUpNameAddress(widget, anchoredFirst);
}

} // namespace WidgetCatalog
