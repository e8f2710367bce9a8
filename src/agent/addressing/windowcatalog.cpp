#include "widgetcatalog.h"

#include "selector.h"
#include "selectorresolution.h"
#include "widgetaddressing.h"

#include <QStringList>
#include <QWidget>

#include <cstring>

// The windows' part of the listing: an address for every visible window.
namespace WidgetCatalog {

namespace {

QString windowAddress(QWidget *window, const QWidgetList &shown)
{
    const auto findsExactly = [window](const QString &field) {
        QWidget *found = nullptr;
        return SelectorResolution::findWindow(found, field) == 1 && found == window;
    };

    // What the program named stays while the title follows the document or the state
    // shown: the object name, then a class of the program's own, and only then the title.
    QStringList tried;
    const QString name = window->objectName();
    if (!name.isEmpty() && !name.contains(QLatin1Char(',')))
        tried << QStringLiteral("Widget:") + name;
    const QString className = QString::fromLatin1(window->metaObject()->className());
    const QString bare = QLatin1Char('{') + className + QLatin1Char('}');
    const bool qtClass = isQtClass(window->metaObject()->className());
    if (!qtClass)
        tried << bare;
    const QString title = window->windowTitle().section(QLatin1Char(','), 0, 0);
    if (!title.isEmpty() && !title.startsWith(QLatin1String("Widget:")) &&
        !Selector::isSelector(title))
        tried << title;
    if (name.isEmpty())
        tried << QStringLiteral("Widget:");
    if (qtClass)
        tried << bare;
    if (!window->windowTitle().isEmpty())
        tried << Selector::write(className, QStringLiteral("title"), window->windowTitle());
    for (const QString &field : qAsConst(tried)) {
        if (findsExactly(field))
            return field;
    }

    int nth = 0;
    for (const QWidget *candidate : shown) {
        if (candidate->isVisible() && candidate->inherits(className.toLatin1().constData()))
            ++nth;
        if (candidate == window)
            break;
    }
    return Selector::writePosition(className, nth);
}

} // namespace

bool isQtClass(const char *className)
{
    return className[0] == 'Q' && className[1] >= 'A' && className[1] <= 'Z' &&
           !std::strchr(className, ':');
}

QLatin1String qtClassName(const QMetaObject *meta)
{
    for (; meta; meta = meta->superClass()) {
        if (isQtClass(meta->className()))
            return QLatin1String(meta->className());
    }
    return QLatin1String("QWidget");
}

QVector<WindowEntry> windows()
{
    QVector<WindowEntry> entries;
    const QWidgetList shown = WidgetAddressing::shownTopLevels();
    for (QWidget *window : shown) {
        if (!window->isWindow() || !window->isVisible())
            continue;
        entries.append({window, windowAddress(window, shown)});
    }
    return entries;
}

QString windowAddress(QWidget *window)
{
    if (!window || !window->isWindow() || !window->isVisible())
        return QString();
    return windowAddress(window, WidgetAddressing::shownTopLevels());
}

} // namespace WidgetCatalog
