// The addressing side of the record of the widget under the cursor: which widget a user
// sees at the point, and the names by which later requests find it.

#include "widgetaddressing.h"
#include "widgetnaming.h"

#include <QWidget>

namespace WidgetAddressing {

namespace {

// Widgets that a user sees as part of their parent: the record names the parent.
struct OwnerRule
{
    const char *widgetClass;
    const char *parentInherits;
    bool parentNeedsObjectName;
};

const OwnerRule ownerRules[] = {
    {"QLineEdit", "QAbstractSpinBox", false},
    {"QWidget", "QTextEdit", false},
    {"QWidget", "QTreeWidget", false},
    {"QWidget", "QListWidget", false},
    {"QWidget", "QTableWidget", false},
    {"QWidget", "QTreeView", false},
    {"QWidget", "QListView", false},
    {"QWidget", "QTableView", false},
    {"QToolBoxButton", "QToolBox", false},
    {"QTabBar", "QTabWidget", true},
    {"QAbstractScrollAreaWidget", "Q3ListView", false},
    {"QAbstractScrollAreaWidget", "Q3ListBox", false},
    {"QAbstractScrollAreaWidget", "Q3Table", false},
    {"VCNumeric", "VCFrequency", false},
};

QWidget *owner(QWidget *widget)
{
    QWidget *parent = widget->parentWidget();
    if (!parent)
        return widget;
    const QByteArray className = widget->metaObject()->className();
    for (const OwnerRule &rule : ownerRules) {
        if (className == rule.widgetClass && parent->inherits(rule.parentInherits) &&
            (!rule.parentNeedsObjectName || !parent->objectName().isNull()))
            return parent;
    }
    return widget;
}

} // namespace

CursorRecord cursorRecord(QWidget *hit)
{
    CursorRecord record;
    record.widget = owner(hit);

    const QString name = getName(record.widget);
    QList<QWidget *> candidates;
    widgetList(candidates, record.widget->window(),
               name == WidgetNaming::unnamedName ? QString() : name);
    record.listed = candidates.size();
    for (const QWidget *candidate : qAsConst(candidates))
        record.visible += candidate->isVisible() ? 1 : 0;
    record.path = widgetPath(record.widget);

    const QWidget *window = record.widget->window();
    record.windowName = window->objectName();
    if (record.windowName.isEmpty() && window->isModal())
        record.windowName = modalObjectName;
    record.windowField = window->windowTitle();
    return record;
}

CursorRecord CursorRecord::asPopup() const
{
    CursorRecord popup = *this;
    popup.listed = 1;
    popup.visible = 1;
    popup.path = popupElementName;
    popup.windowField = popupWindowName;
    return popup;
}

} // namespace WidgetAddressing
