#include "searcherror.h"

#include <QString>
#include <QStringList>

namespace OxSquishProxy {

namespace {
// Scripts compare these texts; the order follows SearchErrorKind.
const QStringList searchErrorNames = {
    QStringLiteral("NoError"),
    QStringLiteral("WidgetAmbiguousError"),
    QStringLiteral("WidgetNotFoundError"),
    QStringLiteral("WidgetNotVisibleError"),
    QStringLiteral("InvalidWidgetPath"),
};
} // namespace

QString searchErrorName(int kind)
{
    return searchErrorNames.value(kind);
}

} // namespace OxSquishProxy
