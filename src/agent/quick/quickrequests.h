#pragma once

#include "addressing/widgetaddressing.h"
#include "protocol/requestcode.h"
#include "proxies/framework/stapplicationproxy.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

class QWidget;

// The extended mode's requests on Qt Quick scenes: the items of QQuickWidgets and the
// QQuickWindows of a Widgets program with their items (docs/qtquick.md). The requests on an
// item take the request line after the widget lookup failed, and answer when its window field
// and path lead into a scene; an empty reply means they do not, and the widget lookup's own
// error reply stands.
namespace QuickRequests {

// 5, 6 and 23 on an item: activate, enter, keys (with an empty path on a QQuickWindow, on
// the item with its active focus). The mouse request is refused.
QByteArray action(const QString &line, RequestCode code, STApplicationProxy::Action action);
// 7 on an item: any QML property by name, and className (its QML type), qtClass,
// globalRect and the item's text.
QByteArray property(const QString &line);
// 22 on an item, or a QQuickWindow with an empty path: its part of the scene's picture.
QByteArray grab(const QString &line);
// 8 on a QQuickWindow: its title.
QByteArray checkWindow(const QString &line);
// 21 on a QQuickWindow: its visible items.
QByteArray listWindowItems(const QString &line);

// The shown QQuickWindows, for the window lists: 1 (the entry texts) and 20 (JSON objects).
QStringList windowListEntries();
QJsonArray windowEntries();

// The listing's entries (21) for the visible items of a QQuickWidget that the listing holds
// at `depth` with `path` and `address`, in tree order; geometry in `window`'s coordinates.
QJsonArray listedItems(QWidget *host, const QWidget *window, int depth, const QString &path,
                       const QString &address);

} // namespace QuickRequests
