#include "quickaddressing.h"

#include "quickitems.h"
#include "quickwindows.h"

#include "addressing/selector.h"
#include "protocol/mnemonics.h"

#include <QObject>
#include <QVariant>
#include <QWidget>

namespace QuickAddressing {

namespace {

bool compare(const QString &actual, const Selector::Term &term)
{
    const QString shown = Mnemonics::shownText(actual);
    return term.contains ? shown.contains(term.value) : shown == term.value;
}

QString propertyText(const QObject *item, const QString &key)
{
    const QVariant value = item->property(key.toLatin1().constData());
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

bool termHolds(const Selector::Term &term, const QObject *item)
{
    const QString &key = term.key;
    if (key.isEmpty() || key == QLatin1String("type"))
        return QuickItems::inherits(item, term.value);
    if (key == QLatin1String("name"))
        return compare(item->objectName(), term);
    if (key == QLatin1String("text"))
        return compare(QuickItems::text(item), term);
    if (key == QLatin1String("label"))
        return compare(QuickItems::labelText(item), term);
    if (key == QLatin1String("nth"))
        return true;
    return item->property(key.toLatin1().constData()).isValid() &&
           compare(propertyText(item, key), term);
}

// The items below `within` (any of them) that the element matches, in tree order; an
// nth term keeps the N-th of them.
QVector<QObject *> step(const QVector<QObject *> &listed, const QVector<QObject *> &within,
                        const QString &element)
{
    const Selector selector = Selector::isSelector(element) ? Selector::parse(element) : Selector();
    QVector<QObject *> found;
    for (QObject *item : listed) {
        const bool below = within.isEmpty() ||
                           std::any_of(within.begin(), within.end(), [item](const QObject *outer) {
                               return item != outer && QuickItems::isInside(item, outer);
                           });
        if (below && matches(element, selector, item))
            found.append(item);
    }
    const int nth = selector.nth();
    if (nth > 0)
        return nth <= found.size() ? QVector<QObject *>{found.at(nth - 1)} : QVector<QObject *>{};
    return found;
}

QVector<QObject *> listedItems(const QuickScene &scene)
{
    QVector<QObject *> items;
    const QVector<QuickItems::Entry> entries = QuickItems::visibleItems(scene.root());
    for (const QuickItems::Entry &entry : entries)
        items.append(entry.item);
    return items;
}

ItemLookup resolveInScene(const QuickScene &scene, const QStringList &elements)
{
    ItemLookup lookup;
    lookup.scene = scene;
    const QVector<QObject *> listed = listedItems(scene);
    QVector<QObject *> matched;
    for (const QString &element : elements) {
        if (element.isEmpty())
            continue;
        matched = step(listed, matched, element);
        if (matched.isEmpty()) {
            lookup.kind = WidgetNotFoundError;
            return lookup;
        }
    }
    if (matched.isEmpty() && !scene.widget())
        return lookup; // the window itself
    if (matched.size() != 1) {
        lookup.kind = matched.isEmpty() ? WidgetNotFoundError : WidgetAmbiguousError;
        lookup.count = matched.size();
        return lookup;
    }
    lookup.item = matched.first();
    return lookup;
}

// A path whose leading elements name no QQuickWidget is looked for in the items of every
// visible QQuickWidget of the window, as a selector path is looked for in the whole window.
ItemLookup resolveInWindow(const QString &windowField, const QStringList &elements,
                           const ResolveVariant &variant)
{
    ItemLookup combined;
    combined.kind = WidgetNotFoundError;
    const LookupResult window = WidgetAddressing::resolveWindow(
        windowField, variant.check, ActiveWidgets::current(), false, variant.selectors);
    if (window.kind != NoError)
        return combined;
    const QList<QWidget *> widgets = window.window->findChildren<QWidget *>();
    for (QWidget *host : widgets) {
        if (!QuickItems::isQuickWidget(host) || !host->isVisible() ||
            host->window() != window.window)
            continue;
        const ItemLookup found = resolveInScene(QuickScene::ofWidget(host), elements);
        if (found.kind == WidgetNotFoundError)
            continue;
        combined.count += found.item ? 1 : found.count;
        combined.scene = found.scene;
        combined.item = found.item;
        combined.kind = combined.count == 1 ? found.kind : WidgetAmbiguousError;
    }
    if (combined.kind == WidgetAmbiguousError)
        combined.item = nullptr;
    return combined;
}

bool isUnique(const QString &element, const QObject *item, const QVector<QObject *> &listed)
{
    const QVector<QObject *> found = step(listed, {}, element);
    return found.size() == 1 && found.first() == item;
}

} // namespace

bool matches(const QString &element, const Selector &selector, const QObject *item)
{
    if (!Selector::isSelector(element))
        return item->objectName() == element;
    if (!selector.isValid())
        return false;
    const QVector<Selector::Term> &terms = selector.terms();
    return std::all_of(terms.begin(), terms.end(),
                       [item](const Selector::Term &term) { return termHolds(term, item); });
}

ItemLookup resolve(const QString &windowField, const QString &path, const ResolveVariant &variant)
{
    if (!QuickItems::quickLoaded())
        return ItemLookup{WidgetNotFoundError, QuickScene(), nullptr, 0};
    const QStringList elements = Selector::splitPath(path);
    const LookupResult window = WidgetAddressing::resolveWindow(
        windowField, WindowCheck::None, ActiveWidgets::current(), false, variant.selectors);
    if (window.kind == WindowNotFoundError) {
        const QVector<QWindow *> windows = QuickWindows::find(windowField);
        ItemLookup lookup;
        lookup.kind = windows.size() > 1 ? WindowAmbiguousError : WindowNotFoundError;
        lookup.count = windows.size();
        if (windows.size() == 1)
            return resolveInScene(QuickScene::ofWindow(windows.first()), elements);
        return lookup;
    }
    for (int split = elements.size() - 1; split > 0; --split) {
        const QString hostPath = elements.mid(0, split).join(QLatin1Char('/'));
        if (hostPath.isEmpty())
            continue;
        const LookupResult found = WidgetAddressing::resolveWidget(windowField, hostPath, variant);
        if (found.kind == NoError && QuickItems::isQuickWidget(found.widget))
            return resolveInScene(QuickScene::ofWidget(found.widget), elements.mid(split));
        if (found.kind >= WindowNotFoundError && found.kind <= WindowNotActiveModalError)
            break;
    }
    return resolveInWindow(windowField, elements, variant);
}

QString itemAddress(const QObject *item, const QVector<QObject *> &listed)
{
    const QString name = item->objectName();
    if (!name.isEmpty() && !Selector::isSelector(name) && !name.contains(QLatin1Char('/')) &&
        isUnique(name, item, listed)) {
        return name;
    }
    const QString type = Selector::writeValue(QuickItems::qmlType(item));
    QStringList candidates{QLatin1Char('{') + type + QLatin1Char('}')};
    const QString text = QuickItems::text(item);
    const bool isField = item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit");
    if (!text.isEmpty() && !isField)
        candidates << QStringLiteral("{%1 text=%2}").arg(type, Selector::writeValue(text));
    const QString label = QuickItems::labelText(item);
    if (!label.isEmpty())
        candidates << QStringLiteral("{%1 label=%2}").arg(type, Selector::writeValue(label));
    for (const QString &candidate : qAsConst(candidates)) {
        if (isUnique(candidate, item, listed))
            return candidate;
    }
    const QString byType = QLatin1Char('{') + type + QLatin1Char('}');
    const QVector<QObject *> sameType = step(listed, {}, byType);
    return QStringLiteral("{%1 nth=%2}")
        .arg(type)
        .arg(sameType.indexOf(const_cast<QObject *>(item)) + 1);
}

} // namespace QuickAddressing
