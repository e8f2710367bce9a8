#include "windowlookup.h"

#include "selectorresolution.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace WidgetAddressing {

const QString popupElementName = QStringLiteral("ActivePopupWidget");
const QString popupWindowName = QStringLiteral("Widget:ActivePopupWidget");
const QString modalObjectName = QStringLiteral("ActiveModalWidget");

} // namespace WidgetAddressing

namespace WindowLookup {

namespace {

using WidgetAddressing::popupWindowName;
const QString objectNamePrefix = QStringLiteral("Widget:");
const QString modalWindowName = objectNamePrefix + WidgetAddressing::modalObjectName;

// Whether `name` is `head` (one ':' in it), alone or followed by ':' and more: the
// comparison of the name's first two ':'-separated fields, without cutting them out.
bool startsWithFields(const QString &name, const QString &head)
{
    return name.startsWith(head) &&
           (name.size() == head.size() || name.at(head.size()) == QLatin1Char(':'));
}

} // namespace

int findWindowAmong(QWidget *&window, const QString &name, QWidgetList (*topLevels)())
{
    if (startsWithFields(name, popupWindowName)) {
        window = QApplication::activePopupWidget();
        return window && window->isVisible() ? 1 : 0;
    }
    if (startsWithFields(name, modalWindowName)) {
        window = QApplication::activeModalWidget();
        if (!window || !window->isVisible())
            return 0;
        // Everything after the second ':' is the title prefix, colons included.
        const QString titlePrefix = name.section(QLatin1Char(':'), 2);
        if (titlePrefix.isEmpty())
            return 1;
        return window->windowTitle().startsWith(titlePrefix) ? 1 : 0;
    }

    const bool byObjectName = name.startsWith(objectNamePrefix);
    int count = 0;
    for (QWidget *candidate : topLevels()) {
        if (!candidate->isVisible())
            continue;
        bool matches;
        if (byObjectName) {
            matches = QStringView(name).mid(objectNamePrefix.size()) ==
                      QStringView(candidate->objectName());
        } else {
            // An untitled window has a null title, which no prefix (not even the empty
            // one) is taken to start.
            const QString title = candidate->windowTitle();
            matches = !title.isNull() && title.startsWith(name);
        }
        if (matches) {
            window = candidate;
            ++count;
        }
    }
    return count;
}

LookupResult resolveWindowWith(FindWindow findWindow, const QString &name, WindowCheck mode,
                               const ActiveWidgets &active, bool popupPassesAnyWindow)
{
    LookupResult result;
    QWidget *window = nullptr;
    result.count = findWindow(window, name);
    if (result.count == 0) {
        result.kind = WindowNotFoundError;
    } else if (result.count > 1) {
        result.kind = WindowAmbiguousError;
    } else {
        result.window = window;
        result.kind = WidgetAddressing::checkWindow(window, mode, active, popupPassesAnyWindow);
    }
    return result;
}

} // namespace WindowLookup

ActiveWidgets ActiveWidgets::current()
{
    ActiveWidgets active;
    active.popup = QApplication::activePopupWidget();
    active.modal = QApplication::activeModalWidget();
    active.activeWindow = QApplication::activeWindow();
    return active;
}

namespace WidgetAddressing {

int findWindow(QWidget *&window, const QString &name)
{
    return WindowLookup::findWindowAmong(window, name, shownTopLevels);
}

// A shown widget window always has a platform window, and there are a handful of those,
// where QApplication::topLevelWidgets() looks at every widget of the application. Should a
// widget's window not lead back to its widget (a platform without distinct window ids),
// the long way is taken.
QWidgetList shownTopLevels()
{
    QWidgetList widgets;
    const QWindowList windows = QGuiApplication::allWindows();
    for (QWindow *window : windows) {
        // Asking an uncreated window for its id would create it; its widget is not shown.
        if (!window->handle() || !window->inherits("QWidgetWindow"))
            continue;
        QWidget *widget = QWidget::find(window->winId());
        if (!widget || widget->windowHandle() != window)
            return QApplication::topLevelWidgets();
        if (widget->isWindow() && widget->windowType() != Qt::Desktop)
            widgets.append(widget);
    }
    return widgets;
}

LookupErrorKind checkWindow(const QWidget *window, WindowCheck mode, const ActiveWidgets &active,
                            bool popupPassesAnyWindow)
{
    if (mode == WindowCheck::None)
        return NoError;
    if (active.popup) {
        // An open popup holds the input grab: input meant for another window would go
        // to the popup instead, so such requests are refused. The modal widget is not
        // looked at while a popup is open.
        if (window == active.popup)
            return NoError;
        if (mode == WindowCheck::Lenient && (window == active.activeWindow || popupPassesAnyWindow))
            return NoError;
        return WindowNotActivePopupError;
    }
    if (active.modal && active.modal != window)
        return WindowNotActiveModalError;
    return NoError;
}

LookupResult resolveWindow(const QString &name, WindowCheck mode, const ActiveWidgets &active,
                           bool popupPassesAnyWindow, bool selectors)
{
    return WindowLookup::resolveWindowWith(selectors ? SelectorResolution::findWindow : findWindow,
                                           name, mode, active, popupPassesAnyWindow);
}

} // namespace WidgetAddressing
