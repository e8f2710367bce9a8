#include "requestlookup.h"

#include <QWidget>

namespace {

LookupPolicy windowPolicy(WindowCheck check)
{
    LookupPolicy policy;
    policy.variant.check = check;
    return policy;
}

LookupPolicy actingPolicy(bool popupPassesAnyWindow, bool emptyPathIsFocus)
{
    LookupPolicy policy;
    policy.variant.check = WindowCheck::Lenient;
    policy.variant.popupPassesAnyWindow = popupPassesAnyWindow;
    policy.variant.activePopupElement = true;
    policy.variant.focusWidgetElement = true;
    policy.emptyPathIsFocus = emptyPathIsFocus;
    return policy;
}

LookupPolicy pointingPolicy()
{
    LookupPolicy policy;
    policy.variant.plainCandidates = true;
    return policy;
}

LookupPolicy readingPolicy()
{
    LookupPolicy policy;
    policy.variant.activePopupElement = true;
    policy.readsHiddenWithSelectors = true;
    return policy;
}

} // namespace

namespace LookupPolicies {

const LookupPolicy anyWindow = windowPolicy(WindowCheck::None);
const LookupPolicy enabledWindow = windowPolicy(WindowCheck::Strict);
const LookupPolicy pointing = pointingPolicy();
const LookupPolicy reading = readingPolicy();
const LookupPolicy acting = actingPolicy(false, false);
const LookupPolicy clicking = actingPolicy(true, false);
const LookupPolicy pressing = actingPolicy(false, true);

} // namespace LookupPolicies

namespace WidgetAddressing {

RequestLookup lookUpWindow(const QString &window, const LookupPolicy &policy, bool selectors)
{
    RequestLookup lookup;
    if (selectors)
        lookup.malformed = selectorSyntaxError(window, QString());
    if (lookup.malformed.isEmpty()) {
        lookup.found = resolveWindow(window, policy.variant.check, ActiveWidgets::current(),
                                     policy.variant.popupPassesAnyWindow, selectors);
    }
    return lookup;
}

RequestLookup lookUpWidget(const QString &window, const QString &path, const LookupPolicy &policy,
                           bool selectors)
{
    RequestLookup lookup;
    if (selectors)
        lookup.malformed = selectorSyntaxError(window, path);
    if (!lookup.malformed.isEmpty())
        return lookup;
    if (policy.emptyPathIsFocus && path.isEmpty()) {
        lookup = lookUpWindow(window, policy, selectors);
        if (QWidget *found = lookup.found.window) {
            QWidget *focus = found->focusWidget();
            lookup.found.widget = focus ? focus : found;
        }
        return lookup;
    }
    ResolveVariant variant = policy.variant;
    variant.selectors = selectors;
    if (selectors && policy.readsHiddenWithSelectors) {
        variant.hiddenTarget = true;
        variant.focusWidgetElement = true;
    }
    lookup.found = resolveWidget(window, path, variant);
    return lookup;
}

} // namespace WidgetAddressing
