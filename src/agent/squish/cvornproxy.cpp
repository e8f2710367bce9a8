#include "cvornproxy.h"

#include "protocol/lookuperror.h"
#include "addressing/widgetaddressing.h"

namespace OxSquishProxy {

CVornProxy::CVornProxy(const char *name) : CSquishProxy(name) {}

QWidget *CVornProxy::getWidget(const QString &p_cap, const QString &p_path, bool checkModality)
{
    lastError = NoError;

    // As the activate request resolves, except that an open popup never lets other
    // windows through and the modality check can be switched off by the script.
    ResolveVariant variant;
    variant.check = checkModality ? WindowCheck::Lenient : WindowCheck::None;
    variant.popupPassesAnyWindow = false;
    variant.activePopupElement = true;
    variant.focusWidgetElement = true;
    variant.plainCandidates = false;

    const LookupResult result = WidgetAddressing::resolveWidget(p_cap, p_path, variant);
    if (result.kind != NoError) {
        lastError = result.kind;
        return nullptr;
    }
    return result.widget;
}

QString CVornProxy::getLastVornError()
{
    return lookupErrorName(lastError);
}

} // namespace OxSquishProxy
