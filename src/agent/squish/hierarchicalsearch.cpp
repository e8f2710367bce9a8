#include "hierarchicalsearch.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWidget>

#include <stdexcept>

namespace HierarchicalSearch {

namespace {

using namespace OxSquishProxy;

Outcome failed(SearchErrorKind error)
{
    return {nullptr, error};
}

// A Unix shell wildcard as a whole-text regular expression: '*' any text ('/' included: a
// title is no path), '?' one character, "[...]" a set ("[!...]" its complement), '\\' takes
// the next character as it is.
QRegularExpression wildcardExpression(const QString &wildcard)
{
    QString pattern;
    for (int i = 0; i < wildcard.size(); ++i) {
        const QChar c = wildcard.at(i);
        if (c == QLatin1Char('*')) {
            pattern += QLatin1String(".*");
        } else if (c == QLatin1Char('?')) {
            pattern += QLatin1Char('.');
        } else if (c == QLatin1Char('\\') && i + 1 < wildcard.size()) {
            pattern += QRegularExpression::escape(wildcard.mid(++i, 1));
        } else if (c == QLatin1Char('[') && wildcard.indexOf(QLatin1Char(']'), i + 2) > 0) {
            const int close = wildcard.indexOf(QLatin1Char(']'), i + 2);
            QString set = wildcard.mid(i + 1, close - i - 1);
            if (set.startsWith(QLatin1Char('!')))
                set[0] = QLatin1Char('^');
            set.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            pattern += QLatin1Char('[') + set + QLatin1Char(']');
            i = close;
        } else {
            pattern += QRegularExpression::escape(QString(c));
        }
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::DotMatchesEverythingOption);
}

bool titlePasses(const QWidget *window, const QString &title, bool wildcard)
{
    if (title.isNull())
        return true;
    if (wildcard)
        return wildcardExpression(title).match(window->windowTitle()).hasMatch();
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

Outcome findWindowByTitle(const QString &windowTitle, bool onlyVisible, bool wildcard)
{
    QWidget *kept = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (onlyVisible && !window->isVisible())
            continue;
        if (!titlePasses(window, windowTitle, wildcard))
            continue;
        if (kept)
            return failed(SearchWidgetAmbiguous);
        kept = window;
    }
    return kept ? Outcome{kept} : failed(SearchWidgetNotFound);
}

// The one widget whose object name is entry k and whose ancestors match the entries
// before it, among the windows (and below them) that pass the title.
Outcome findNamed(const QStringList &hierarchicalName, int k, const QString &windowTitle,
                  QWidget *pWindow, bool bOnlyVisible, bool bWildCardWindowTitle)
{
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
            if (found)
                return failed(SearchWidgetAmbiguous);
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
            if (found)
                return failed(SearchWidgetAmbiguous);
            found = candidate;
        }
    }
    return found ? Outcome{found} : failed(SearchWidgetNotFound);
}

// Missing entries after the last name: that many levels down to the single leaf.
Outcome descendTrailing(QWidget *found, int trailingMissing)
{
    bool ambiguous = false;
    QWidget *leaf = descendToOnly(found, trailingMissing, ambiguous);
    if (!leaf)
        return failed(ambiguous ? SearchWidgetAmbiguous : SearchWidgetNotFound);
    if (leaf->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        return failed(SearchWidgetAmbiguous);
    return {leaf};
}

} // namespace

Outcome findWidgetByHierarchicalName(const QStringList &hierarchicalName,
                                     const QString &windowTitle, QWidget *pWindow,
                                     bool bOnlyVisible, bool bWildCardWindowTitle)
{
    int k = hierarchicalName.size() - 1;
    while (k >= 0 && hierarchicalName.at(k).isNull())
        --k;

    if (k < 0) {
        if (windowTitle.isNull() || hierarchicalName.size() != 1)
            return failed(SearchInvalidWidgetPath);
        return findWindowByTitle(windowTitle, bOnlyVisible, bWildCardWindowTitle);
    }

    Outcome outcome =
        findNamed(hierarchicalName, k, windowTitle, pWindow, bOnlyVisible, bWildCardWindowTitle);
    const int trailingMissing = hierarchicalName.size() - 1 - k;
    if (outcome.widget && trailingMissing > 0)
        outcome = descendTrailing(outcome.widget, trailingMissing);
    if (outcome.widget && bOnlyVisible && !outcome.widget->isVisible())
        return failed(SearchWidgetNotFound);
    return outcome;
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
