#include "quickwindows.h"

#include "quickitems.h"

#include "addressing/selector.h"

#include <QGuiApplication>
#include <QVariant>
#include <QWindow>

namespace QuickWindows {

namespace {

const QString objectNamePrefix = QStringLiteral("Widget:");

// The QML type of what the window shows: its content item's first child (a QQuickView's
// root object, an ApplicationWindow's content).
QString rootType(const QWindow *window)
{
    QObject *content = window->property("contentItem").value<QObject *>();
    const QVector<QObject *> children =
        content ? QuickItems::childItems(content) : QVector<QObject *>();
    return children.isEmpty() ? QString() : QuickItems::qmlType(children.first());
}

bool holds(const Selector::Term &term, const QWindow *window)
{
    const auto compare = [&term](const QString &actual) {
        return term.contains ? actual.contains(term.value) : actual == term.value;
    };
    if (term.key.isEmpty() || term.key == QLatin1String("type")) {
        return window->inherits(term.value.toLatin1().constData()) ||
               term.value == rootType(window);
    }
    if (term.key == QLatin1String("name"))
        return compare(window->objectName());
    if (term.key == QLatin1String("title") || term.key == QLatin1String("text"))
        return compare(window->title());
    if (term.key == QLatin1String("nth"))
        return true;
    return compare(window->property(term.key.toLatin1().constData()).toString());
}

bool matches(const QString &windowField, const Selector &selector, const QWindow *window)
{
    if (selector.isValid()) {
        const QVector<Selector::Term> &terms = selector.terms();
        return std::all_of(terms.begin(), terms.end(),
                           [window](const Selector::Term &term) { return holds(term, window); });
    }
    if (windowField.startsWith(objectNamePrefix))
        return window->objectName() == windowField.mid(objectNamePrefix.size());
    return !window->title().isNull() && window->title().startsWith(windowField);
}

bool findsOnly(const QString &windowField, const QWindow *window)
{
    const QVector<QWindow *> found = find(windowField);
    return found.size() == 1 && found.first() == window;
}

} // namespace

QVector<QWindow *> shown()
{
    QVector<QWindow *> windows;
    if (!QuickItems::quickLoaded())
        return windows;
    const QWindowList topLevels = QGuiApplication::topLevelWindows();
    for (QWindow *window : topLevels) {
        if (window->isVisible() && window->inherits("QQuickWindow"))
            windows.append(window);
    }
    return windows;
}

QVector<QWindow *> find(const QString &windowField)
{
    const bool isSelector = Selector::isSelector(windowField);
    const Selector selector = isSelector ? Selector::parse(windowField) : Selector();
    if (isSelector && !selector.isValid())
        return {};
    QVector<QWindow *> found;
    const QVector<QWindow *> windows = shown();
    for (QWindow *window : windows) {
        if (matches(windowField, selector, window))
            found.append(window);
    }
    const int nth = selector.nth();
    if (nth > 0)
        return nth <= found.size() ? QVector<QWindow *>{found.at(nth - 1)} : QVector<QWindow *>{};
    return found;
}

QString address(QWindow *window)
{
    const QString name = window->objectName();
    if (!name.isEmpty() && findsOnly(objectNamePrefix + name, window))
        return objectNamePrefix + name;
    const QString title = window->title().section(QLatin1Char(','), 0, 0);
    if (!title.isEmpty() && !title.startsWith(QLatin1Char('{')) && findsOnly(title, window))
        return title;
    const QString type = QString::fromLatin1(window->metaObject()->className());
    const QString byTitle =
        QStringLiteral("{%1 title=%2}").arg(type, Selector::writeValue(window->title()));
    if (findsOnly(byTitle, window))
        return byTitle;
    const QVector<QWindow *> sameType = find(QLatin1Char('{') + type + QLatin1Char('}'));
    return QStringLiteral("{%1 nth=%2}").arg(type).arg(sameType.indexOf(window) + 1);
}

} // namespace QuickWindows
