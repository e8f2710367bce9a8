#include "hierarchicalsearch.h"

#include "searcherror.h"

#include <QApplication>
#include <QRegExp>
#include <QWidget>

#include <stdexcept>

using OxSquishProxy::searchError;

namespace HierarchicalSearch {

namespace {

bool titlePasses(const QWidget *window, const QString &title, bool wildcard)
{
    if (title.isNull())
        return true;
    if (wildcard)
        return QRegExp(title, Qt::CaseSensitive, QRegExp::WildcardUnix)
            .exactMatch(window->windowTitle());
    return window->windowTitle() == title;
}

// isVisible() alone would also reject widgets of windows that were never shown; the
// search wants "nothing on the way up was hidden on purpose".
bool hiddenOnParentChain(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget->isHidden())
            return true;
    }
    return false;
}

QWidget *findWindowByTitle(const QString &windowTitle, bool onlyVisible, bool wildcard)
{
    QWidget *kept = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (onlyVisible && !window->isVisible())
            continue;
        if (!titlePasses(window, windowTitle, wildcard))
            continue;
        if (kept) {
            searchError = OxSquishProxy::SearchWidgetAmbiguous;
            return nullptr;
        }
        kept = window;
    }
    if (!kept)
        searchError = OxSquishProxy::SearchWidgetNotFound;
    return kept;
}

} // namespace

QWidget *findWidgetByHierarchicalName(const QStringList &hierarchicalName,
                                      const QString &windowTitle, QWidget *pWindow,
                                      bool bOnlyVisible, bool bWildCardWindowTitle)
{
    searchError = OxSquishProxy::SearchNoError;

    int k = hierarchicalName.size() - 1;
    while (k >= 0 && hierarchicalName.at(k).isNull())
        --k;

    if (k < 0) {
        if (windowTitle.isNull() || hierarchicalName.size() != 1) {
            searchError = OxSquishProxy::SearchInvalidWidgetPath;
            return nullptr;
        }
        return findWindowByTitle(windowTitle, bOnlyVisible, bWildCardWindowTitle);
    }

    const QString &name = hierarchicalName.at(k);
    const QWidgetList roots = pWindow ? QWidgetList{pWindow} : QApplication::topLevelWidgets();
    QWidget *found = nullptr;

    // The first second match ends the search: a script must name its widget uniquely.
    for (QWidget *root : roots) {
        if (bOnlyVisible && !root->isVisible())
            continue;
        if (!titlePasses(root, windowTitle, bWildCardWindowTitle))
            continue;
        if (root->objectName() == name && matchAncestors(root, hierarchicalName, k - 1)) {
            if (found) {
                searchError = OxSquishProxy::SearchWidgetAmbiguous;
                return nullptr;
            }
            found = root;
        }
        const QList<QWidget *> candidates = root->findChildren<QWidget *>(name);
        for (QWidget *candidate : candidates) {
            // Windows parented inside the root are roots of their own.
            if (candidate->isWindow())
                continue;
            if (bOnlyVisible && hiddenOnParentChain(candidate))
                continue;
            if (!matchAncestors(candidate, hierarchicalName, k - 1))
                continue;
            if (found) {
                searchError = OxSquishProxy::SearchWidgetAmbiguous;
                return nullptr;
            }
            found = candidate;
        }
    }

    if (!found) {
        searchError = OxSquishProxy::SearchWidgetNotFound;
        return nullptr;
    }

    const int trailingMissing = hierarchicalName.size() - 1 - k;
    if (trailingMissing > 0) {
        bool ambiguous = false;
        QWidget *leaf = descendToOnly(found, trailingMissing, ambiguous);
        if (!leaf) {
            searchError = ambiguous ? OxSquishProxy::SearchWidgetAmbiguous
                                    : OxSquishProxy::SearchWidgetNotFound;
            return nullptr;
        }
        if (leaf->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            searchError = OxSquishProxy::SearchWidgetAmbiguous;
            return nullptr;
        }
        found = leaf;
    }

    if (bOnlyVisible && !found->isVisible()) {
        searchError = OxSquishProxy::SearchWidgetNotFound;
        return nullptr;
    }
    return found;
}

bool matchAncestors(const QWidget *widget, const QStringList &names, int i)
{
    for (;;) {
        if (i >= names.size())
            throw std::logic_error("matchAncestors(): element index past the end of the path");
        if (i < 0)
            return true;
        if (i == 0 && names.at(0).isNull())
            return widget->parentWidget() == nullptr;

        // Each missing entry consumes exactly one level; the name before the run may then
        // lie any number of levels further up.
        const bool gap = names.at(i).isNull();
        while (names.at(i).isNull()) {
            --i;
            widget = widget->parentWidget();
            if (!widget)
                return false;
            if (i < 0)
                return true;
        }

        widget = widget->parentWidget();
        if (!widget)
            return false;
        if (gap) {
            while (widget && widget->objectName() != names.at(i))
                widget = widget->parentWidget();
            if (!widget)
                return false;
        }
        if (widget->objectName() != names.at(i))
            return false;
        --i;
    }
}

QWidget *descendToOnly(QWidget *widget, int depth, bool &ambiguous)
{
    if (depth <= 0)
        return widget;
    QWidget *result = nullptr;
    const QObjectList children = widget->children();
    for (QObject *child : children) {
        if (ambiguous)
            break;
        if (!child->isWidgetType())
            continue;
        if (result) {
            ambiguous = true;
            return nullptr;
        }
        result = descendToOnly(static_cast<QWidget *>(child), depth - 1, ambiguous);
    }
    return result;
}

} // namespace HierarchicalSearch
