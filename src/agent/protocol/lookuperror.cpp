#include "lookuperror.h"

#include <QString>

QString lookupErrorName(int kind)
{
    // Script-side callers compare these names, so they are spelled exactly as the enumerators.
    static const char *const names[] = {
        "NoError",
        "WindowNotFoundError",
        "WindowAmbiguousError",
        "WindowNotActivePopupError",
        "WindowNotActiveModalError",
        "WidgetNotFoundError",
        "WidgetNotVisibleError",
        "WidgetAmbiguousError",
    };
    if (kind < 0 || kind >= int(sizeof(names) / sizeof(names[0])))
        return QString();
    return QString::fromLatin1(names[kind]);
}
