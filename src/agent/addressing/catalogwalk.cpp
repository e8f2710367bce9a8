#include "catalogwalk.h"

#include <QWidget>

namespace CatalogWalk {

void collect(QObject *object, int depth, int parent, bool listed, std::vector<Place> &places)
{
    for (QObject *child : object->children()) {
        if (child->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(child);
            if (!widget->isVisible())
                continue;
            const bool inWindow = listed && !widget->isWindow();
            places.push_back({widget, depth, object->isWidgetType() ? parent : -1, inWindow});
            collect(widget, depth + 1, int(places.size()) - 1, inWindow, places);
        } else if (!child->children().isEmpty()) {
            collect(child, depth, -1, false, places);
        }
    }
}

} // namespace CatalogWalk
