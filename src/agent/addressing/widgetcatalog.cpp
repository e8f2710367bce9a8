#include "widgetcatalog.h"

#include "candidatesearch.h"
#include "catalogcounts.h"
#include "catalogwalk.h"
#include "selector.h"
#include "widgetaddressing.h"
#include "widgetnaming.h"

#include <QHash>
#include <QMetaProperty>
#include <QSet>
#include <QStringBuilder>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace WidgetCatalog {

namespace {

using CatalogCounts::ClassChain;
using namespace CatalogWalk;

// A name that can stand as a path element on the wire: not empty, no separator, no
// selector, none of the names that address a widget by the application's state.
bool usableElement(const QString &name)
{
    const auto separator = [](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char(','); };
    return !name.isEmpty() && std::none_of(name.begin(), name.end(), separator) &&
           !Selector::isSelector(name) && name != WidgetAddressing::popupElementName &&
           name != QLatin1String("FocusWidget");
}

// A path element that was set or made up, not the placeholder.
bool usableName(const QString &name)
{
    return usableElement(name) && name != WidgetNaming::unnamedName;
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

// An ancestor with an address of names, and where it stands in the walk.
struct Anchor
{
    int depth = 0;
    QString address;
    int index = 0;
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
        counted = !target && namesCountedInFull();

        QVector<WidgetEntry> entries;
        if (!target)
            entries.reserve(int(items.size()));
        std::vector<Anchor> anchors;
        for (int index = 0; index < int(items.size()); ++index) {
            Item &item = items[size_t(index)];
            while (!anchors.empty() && anchors.back().depth >= item.depth)
                anchors.pop_back();
            if (!item.listed)
                continue;
            if (target && item.widget != target && !item.widget->isAncestorOf(target))
                continue;

            if (target && item.widget != target) {
                // An ancestor of the target matters only as the start of its address.
                const QString named = lookedUpNameAddress(item.widget, false);
                if (!named.isEmpty())
                    anchors.push_back({item.depth, named, index});
                continue;
            }

            WidgetEntry entry;
            bool byNames = false;
            entry.address = addressOf(item, index, anchors, &byNames);
            if (byNames)
                anchors.push_back({item.depth, entry.address, index});
            // Nothing reads the item's texts once its address is made: they move to the entry
            // (a copy costs a reference count raised now and lowered at the end).
            entry.widget = item.widget;
            entry.depth = item.depth;
            entry.objectName = std::move(item.objectName);
            entry.text = std::move(item.text);
            entry.path = item.path.isNull() ? WidgetAddressing::widgetPath(item.widget)
                                            : std::move(item.path);
            entry.meta = item.meta;
            entry.geometry = item.geometry;
            entry.enabled = item.enabled;
            entry.focus = item.focus;
            entries.append(std::move(entry));
            if (item.widget == target)
                return {entries.last()};
        }
        return target ? QVector<WidgetEntry>() : entries;
    }

    // The address nameAddress gives, without counting the window's names first: the name
    // alone when it finds exactly the widget, else the paths below the widget's parent or
    // a named ancestor, or from the window. Each costs a lookup, where a count of the
    // window costs reading every widget in it.
    // With anchoredFirst, a path from the nearest ancestors with an object name comes
    // first: the index finds them, and the lookup reads only what lies below them.
    QString lookedUpNameAddress(QWidget *widget, bool anchoredFirst)
    {
        Item item;
        item.widget = widget;
        item.name = WidgetNaming::nameOf(widget, nullptr);
        item.usable = usableName(item.name);
        if (!item.usable)
            return QString();
        const QString anchored = anchoredFirst ? namePathAddress(item, true) : QString();
        if (!anchored.isEmpty())
            return anchored;
        if (findsExactly({item.name}, widget))
            return item.name;
        return namePathAddress(item);
    }

private:
    // The visible widgets in tree order, with what their addresses are made of, and the
    // counts that tell which of those are unique.
    void readItems(const QWidget *target)
    {
        std::vector<Place> places{{window, 0, -1, window->window() == window}};
        collect(window, 1, 0, places.front().listed, places);
        items.resize(places.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            items[i].widget = places[i].widget;
            items[i].depth = places[i].depth;
            items[i].parent = places[i].parent;
            items[i].listed = places[i].listed;
        }
        // For one target only the widgets of its class count: the others are passed by.
        const char *targetClass = target ? target->metaObject()->className() : nullptr;
        for (int index = 0; index < int(items.size()); ++index) {
            Item &item = items[size_t(index)];
            if (target && !item.widget->inherits(targetClass))
                continue;
            read(item);
            item.nameId = nameCounts.add(item.name);
            if (!target)
                readInWindow(item);
            const ClassChain &classes = *item.classes;
            item.nth = classPositions.add(classes, index);
            item.textNth = tallies[TextKey].add(classes, item.text);
            tallies[LabelKey].add(classes, item.label);
            tallies[ToolTipKey].add(classes, item.toolTip);
            tallies[AccessibleKey].add(classes, item.accessible);
        }
    }

    // What only the whole listing needs: the path, whether a lookup takes the name, and
    // the geometry and states its reply shows.
    void readInWindow(Item &item)
    {
        const bool hasParent = item.parent >= 0 && item.widget != window;
        const Item *parent = hasParent ? &items.at(item.parent) : nullptr;
        item.path = parent && !item.widget->isWindow()
                        ? QString(parent->path % QLatin1Char('/') % item.name)
                        : WidgetAddressing::widgetPath(item.widget);
        // What the candidate search takes for a name: the window by its object name only,
        // any other widget also by a name made up where none was ever set.
        const QString &objectName = item.objectName;
        item.candidate = !objectName.isEmpty() || (item.widget != window && objectName.isNull() &&
                                                   item.name != WidgetNaming::unnamedName);
        if (item.candidate)
            nameCounts.addCandidate(item.nameId, parent ? parent->nameId : -1);
        if (!item.listed)
            return;
        // A listed widget's parent is listed or is the window: its offset adds to the
        // parent's, as QWidget::mapTo adds them up the chain.
        const QRect rect = item.widget->geometry();
        item.geometry =
            QRect(parent ? parent->geometry.topLeft() + rect.topLeft() : QPoint(), rect.size());
        item.enabled = item.widget->isEnabled();
        item.focus = item.widget->hasFocus();
    }

    void read(Item &item)
    {
        item.read = true;
        item.objectName = item.widget->objectName();
        item.name = WidgetNaming::nameOf(item.widget, item.objectName, &dialogNames);
        item.usable = usableName(item.name);
        item.meta = item.widget->metaObject();
        item.classes = classChain(item.meta);
        item.text = SelectorText::visibleText(item.widget, &textProperties);
        // A window's title, like a field's value, follows what the program shows.
        item.textChanges =
            !item.text.isEmpty() && (item.widget == window || textIsValue(item.meta, valueClasses));
        if (const QWidget *parent = item.widget->parentWidget()) {
            auto labels = labelsByParent.find(parent);
            if (labels == labelsByParent.end())
                labels = labelsByParent.insert(parent, SelectorText::labelsOfChildren(parent));
            item.label = labels->value(item.widget);
        }
        item.toolTip = item.widget->toolTip();
        item.accessible = item.widget->accessibleName();
    }

    // Read once per class for the listing, with an id for each class name. The chain stays
    // where it is while the listing runs (std::unordered_map never moves its values; Qt 6's
    // QHash does), and its items point at it.
    const ClassChain *classChain(const QMetaObject *meta)
    {
        const auto known = chains.find(meta);
        if (known != chains.end())
            return &known->second;
        ClassChain chain;
        for (const QMetaObject *level = meta; level; level = level->superClass()) {
            chain.names.append(QString::fromLatin1(level->className()));
            auto id = classIds.constFind(chain.names.last());
            if (id == classIds.constEnd()) {
                id = classIds.insert(chain.names.last(), classIds.size());
                classPositions.addClass();
            }
            chain.ids.append(*id);
        }
        return &chains.emplace(meta, std::move(chain)).first->second;
    }

    // Whether the name counts answer for lookups in the window: the window field finds this
    // window, and every visible widget the candidate search would meet was read, with its
    // parent. A visible window inside the window below a hidden widget is met by the search
    // but not by the listing's walk, and one reached through an object that is no widget
    // has no parent to count it under.
    bool namesCountedInFull()
    {
        if (!window->isWindow() || windowFound() != window)
            return false;
        QSet<const QWidget *> windowsRead;
        for (std::size_t i = 1; i < items.size(); ++i) {
            if (items[i].parent < 0)
                return false;
            if (items[i].widget->isWindow())
                windowsRead.insert(items[i].widget);
        }
        const QWidgetList shown = WidgetAddressing::shownTopLevels();
        for (const QWidget *other : shown) {
            if (other == window || !other->isVisible() || windowsRead.contains(other))
                continue;
            for (const QObject *above = other->parent(); above; above = above->parent()) {
                if (above == window)
                    return false;
            }
        }
        return true;
    }

    QWidget *windowFound()
    {
        if (!windowLookedUp) {
            windowLookedUp = true;
            const LookupResult found = WidgetAddressing::resolveWindow(
                windowField, WindowCheck::None, ActiveWidgets(), false, true);
            if (found.kind == NoError)
                fieldWindow = found.window;
        }
        return fieldWindow;
    }

    // Whether the path finds exactly the widget, as a request that names it would: in the
    // window the listing's window field finds (looked up once), by the naming rules.
    bool findsExactly(const QStringList &elements, const QWidget *widget)
    {
        if (!windowFound())
            return false;
        const CandidateSearch::Matches matches = CandidateSearch::countMatchesIndexed(
            fieldWindow, elements, elements.last(), false, &dialogNames);
        return matches.visible == 1 && matches.target == widget;
    }

    // A path of names ending in the widget's own name: alone, under its parent, under a
    // named ancestor, or all the way from the window. Alone only when the window's names
    // were counted (run()) and the name is unique among them.
    QString nameAddress(const Item &item)
    {
        const QString &last = item.name;
        if (!item.usable)
            return QString();
        if (nameCounts.carrying(item.nameId) == 1 &&
            (counted ? item.candidate : findsExactly({last}, item.widget)))
            return last;
        return namePathAddress(item);
    }

    // The name of `widget` (read with the listing when `level` is its item); usable or not.
    QString nameAt(const QWidget *widget, int level, bool *usable) const
    {
        if (level >= 0 && items.at(level).widget == widget && items.at(level).read) {
            *usable = items.at(level).usable;
            return items.at(level).name;
        }
        const QString name = WidgetAddressing::getName(widget);
        *usable = usableName(name);
        return name;
    }

    // The paths of names below the widget's parent or a named ancestor, or from the window,
    // tried in that order. With anchoredOnly, only the paths that start at an object name
    // other than the window's: a path anchored at the window reads all of it, as the name
    // alone does.
    QString namePathAddress(const Item &item, bool anchoredOnly = false)
    {
        const QString &last = item.name;
        const QString windowName = anchoredOnly ? WidgetAddressing::getName(window) : QString();
        const auto allowed = [&](const QString &first) {
            return !anchoredOnly ||
                   (first != windowName && CandidateSearch::onlyObjectNameMatches(first));
        };
        const QWidget *parent = item.widget->parentWidget();
        if (parent && item.widget != window) {
            int level = item.parent;
            bool usable = false;
            const QString parentName = nameAt(parent, level, &usable);
            if (usable && allowed(parentName) &&
                (counted ? item.candidate && nameCounts.underParent(items.at(item.parent).nameId,
                                                                    item.nameId) == 1
                         : findsExactly({parentName, last}, item.widget)))
                return parentName % QLatin1Char('/') % last;
            int named = 0;
            for (const QWidget *above = parent->parentWidget(); above && named < 3;
                 above = above->parentWidget()) {
                level = level >= 0 ? items.at(level).parent : -1;
                const QString aboveName = nameAt(above, level, &usable);
                if (usable) {
                    if (allowed(aboveName) &&
                        findsExactly({aboveName, QString(), last}, item.widget))
                        return aboveName % QLatin1String("//") % last;
                    ++named;
                }
                if (above == window)
                    break;
            }
        }
        const QString fullPath =
            item.path.isNull() ? WidgetAddressing::widgetPath(item.widget) : item.path;
        const QStringList elements = fullPath.split(QLatin1Char('/'));
        // Only with an object name on the way is the path looked up without reading the
        // whole window, once for each widget listed.
        if (std::all_of(elements.begin(), elements.end(), usableElement) &&
            std::any_of(elements.begin(), elements.end(), CandidateSearch::onlyObjectNameMatches) &&
            allowed(elements.first()) && findsExactly(elements, item.widget))
            return fullPath;
        return QString();
    }

    QString addressOf(const Item &item, int index, const std::vector<Anchor> &anchors,
                      bool *byNames)
    {
        *byNames = false;
        const QString named = nameAddress(item);
        if (!named.isEmpty()) {
            *byNames = true;
            return named;
        }

        const QString &className = item.classes->names.first();
        const int classId = item.classes->ids.first();
        QString best;
        const auto consider = [&](Key key, const QString &value) {
            if (value.isEmpty() || tallies[key].count(classId, value) != 1)
                return;
            const QString candidate =
                Selector::write(className, QLatin1String(keyNames[key]), value);
            if (best.isEmpty() || candidate.size() < best.size())
                best = candidate;
        };
        if (classPositions.total(classId) == 1)
            best = QLatin1Char('{') % className % QLatin1Char('}');
        if (!item.textChanges)
            consider(TextKey, item.text);
        consider(LabelKey, item.label);
        consider(ToolTipKey, item.toolTip);
        consider(AccessibleKey, item.accessible);
        if (!best.isEmpty())
            return best;

        // Among the widgets that show the same text, or counted below the nearest ancestor
        // with a path of names: either position stays right when other parts of the window
        // change. A field's value or a window's title is no part of an address: a position
        // outlasts it.
        if (!item.text.isEmpty() && !item.textChanges && item.text.size() < 40) {
            return QLatin1Char('{') % className % QLatin1String(" text=") %
                   Selector::writeValue(item.text) % QLatin1String(" nth=") %
                   QString::number(item.textNth) % QLatin1Char('}');
        }
        if (!anchors.empty() && anchors.back().depth > 0) {
            const Anchor &nearest = anchors.back();
            return nearest.address % QLatin1String("//") %
                   Selector::writePosition(className,
                                           classPositions.between(classId, nearest.index, index));
        }
        return Selector::writePosition(className, item.nth);
    }

    enum Key { TextKey, LabelKey, ToolTipKey, AccessibleKey, KeyCount };
    static constexpr const char *keyNames[KeyCount] = {"text", "label", "tooltip", "accessible"};

    QWidget *window;
    const QString &windowField;
    QWidget *fieldWindow = nullptr; // what windowField finds, once looked up
    bool windowLookedUp = false;
    bool counted = false; // nameCounts answers for lookups of one or two names
    CatalogCounts::NameCounts nameCounts;
    std::vector<Item> items;
    WidgetNaming::DialogButtonNames dialogNames; // made-up button names by text
    std::unordered_map<const QMetaObject *, ClassChain> chains;
    QHash<QString, int> classIds;
    CatalogCounts::ClassPositions classPositions; // of the visible widgets read
    QHash<const QWidget *, QHash<const QWidget *, QString>> labelsByParent;
    QHash<const QMetaObject *, bool> valueClasses;   // whose text is the value a person edits
    QHash<const QMetaObject *, bool> textProperties; // which declare a "text" property
    CatalogCounts::Tally tallies[KeyCount];
};

} // namespace

QVector<WidgetEntry> widgets(QWidget *window, const QString &windowField)
{
    return Catalog(window, windowField).run();
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
