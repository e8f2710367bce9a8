#pragma once

#include "candidatesearch.h"
#include "widgetaddressing.h"
#include "windowlookup.h"

// The resolution step that resolveWidget() and its plain reference share: the window, the
// special last elements, and the verdict on the tally of matches. The two differ only in
// how they find the window and the candidates.
namespace WidgetResolution {

LookupResult resolve(const QString &windowName, const QString &path, const ResolveVariant &variant,
                     const ActiveWidgets &active, WindowLookup::FindWindow findWindow,
                     CandidateSearch::CountMatches countMatches);

} // namespace WidgetResolution
