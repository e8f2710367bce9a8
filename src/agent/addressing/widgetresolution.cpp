#include "widgetresolution.h"

#include "widgetaddressing.h"
#include "selectorresolution.h"
#include "widgetnaming.h"

#include <QApplication>
#include <QWidget>

namespace WidgetResolution {

namespace {

const QString &popupElement = WidgetAddressing::popupElementName;
const QString focusElement = QStringLiteral("FocusWidget");

} // namespace

LookupResult resolve(const QString &windowName, const QString &path, const ResolveVariant &variant,
                     const ActiveWidgets &active, WindowLookup::FindWindow findWindow,
                     CandidateSearch::CountMatches countMatches)
{
    const QStringList elements = path.split(QLatin1Char('/'));
    const QString lastElement = elements.last();
    const QString searchName = lastElement == WidgetNaming::unnamedName ? QString() : lastElement;

    LookupResult result = WindowLookup::resolveWindowWith(findWindow, windowName, variant.check,
                                                          active, variant.popupPassesAnyWindow);
    if (result.kind != NoError)
        return result;
    QWidget *window = result.window;

    // The special last elements name a widget directly, whatever the rest of the path says.
    QWidget *special = nullptr;
    bool isSpecial = false;
    if (variant.activePopupElement && lastElement == popupElement) {
        special = active.popup;
        isSpecial = true;
    } else if (variant.focusWidgetElement && lastElement == focusElement) {
        // With selectors (the extended mode), the window's own: the widget that has the focus
        // in it, or will have once it is active (a program's window may start inactive).
        special = variant.selectors ? window->focusWidget() : QApplication::focusWidget();
        isSpecial = true;
    }
    if (isSpecial) {
        result.count = special ? 1 : 0;
        result.widget = special;
        result.kind = special ? NoError : WidgetNotFoundError;
        return result;
    }

    const CandidateSearch::Matches matches =
        variant.selectors && SelectorResolution::hasSelector(path)
            ? SelectorResolution::countMatches(window, path)
            : countMatches(window, elements, searchName, variant.plainCandidates);
    result.count = matches.visible;
    if (matches.visible == 1) {
        result.widget = matches.target;
        result.kind = NoError;
    } else if (variant.hiddenTarget && matches.visible == 0 && matches.matched == 1) {
        result.widget = matches.lastMatched;
        result.kind = NoError;
    } else if (matches.matched == 0) {
        result.kind = WidgetNotFoundError;
    } else if (matches.visible == 0) {
        result.kind = WidgetNotVisibleError;
    } else {
        result.kind = WidgetAmbiguousError;
    }
    return result;
}

} // namespace WidgetResolution

namespace WidgetAddressing {

LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant, const ActiveWidgets &active)
{
    return WidgetResolution::resolve(windowName, path, variant, active,
                                     variant.selectors ? SelectorResolution::findWindow
                                                       : findWindow,
                                     CandidateSearch::countMatchesIndexed);
}

} // namespace WidgetAddressing
