#include "csquishproxy.h"

#include "cinternalsquishproxycleanup.h"
#include "hierarchicalsearch.h"
#include "searcherror.h"

#include "proxies/framework/clickareas.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QSystemTrayIcon>

namespace OxSquishProxy {

SearchErrorKind CSquishProxy::lastSearchError = SearchNoError;

namespace {
const QPoint noClickPoint(-1, -1);
} // namespace

CSquishProxy::CSquishProxy(const char *name) : QWidget(nullptr, Qt::WindowFlags())
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    CInternalSquishProxyCleanup::ensureInstance()->registerProxy(this);
}

CSquishProxy::~CSquishProxy()
{
    if (CInternalSquishProxyCleanup *cleanup = CInternalSquishProxyCleanup::instance())
        cleanup->unregisterProxy(this);
}

QWidget *CSquishProxy::findWidgetByHierarchicalName(const QStringList &hierarchicalName,
                                                    const QString &windowTitle, QWidget *pWindow,
                                                    bool bOnlyVisible, bool bWildCardWindowTitle)
{
    // The search's internal consistency check throws; nothing may unwind into the
    // script engine that called this slot.
    try {
        const HierarchicalSearch::Outcome found = HierarchicalSearch::findWidgetByHierarchicalName(
            hierarchicalName, windowTitle, pWindow, bOnlyVisible, bWildCardWindowTitle);
        lastSearchError = found.error;
        return found.widget;
    } catch (...) {
        lastSearchError = SearchInvalidWidgetPath;
        return nullptr;
    }
}

QString CSquishProxy::getLastError()
{
    return searchErrorName(lastSearchError);
}

QWidget *CSquishProxy::getQWidgetNullPtr()
{
    return nullptr;
}

QPoint CSquishProxy::getCheckBoxCheckClickPos(QWidget *pCheckBox)
{
    if (!pCheckBox || !pCheckBox->inherits("QCheckBox"))
        return noClickPoint;
    return ClickAreas::checkBoxClickRect(pCheckBox).center();
}

QPoint CSquishProxy::getGroupBoxCheckClickPos(QWidget *pGroupBox)
{
    if (!pGroupBox || !pGroupBox->inherits("QGroupBox"))
        return noClickPoint;
    return ClickAreas::groupBoxCheckRect(pGroupBox).center();
}

QPoint CSquishProxy::getRadioButtonClickPos(QWidget *pRadioButton)
{
    if (!pRadioButton || !pRadioButton->inherits("QRadioButton"))
        return noClickPoint;
    return ClickAreas::radioButtonClickRect(pRadioButton).center();
}

QPoint CSquishProxy::getToolButtonClickPos(QWidget *pToolButton, QStyle::SubControl subControl)
{
    if (!pToolButton || !pToolButton->inherits("QToolButton"))
        return noClickPoint;
    const QRect buttonRect = pToolButton->rect();
    const QRect partRect = ClickAreas::toolButtonPartRect(pToolButton, subControl);
    return buttonRect.isEmpty() ? buttonRect.center() : partRect.center();
}

QWidget *CSquishProxy::getActivatedSiblingDockWidget(QWidget *pDockWidget)
{
    auto *dock = qobject_cast<QDockWidget *>(pDockWidget);
    if (!dock)
        return nullptr;
    auto *mainWindow = qobject_cast<QMainWindow *>(dock->parentWidget());
    if (!mainWindow)
        return nullptr;
    const QList<QDockWidget *> siblings = mainWindow->tabifiedDockWidgets(dock);
    for (QDockWidget *sibling : siblings) {
        if (isDockWidgetActive(sibling))
            return sibling;
    }
    return nullptr;
}

bool CSquishProxy::isDockWidgetActive(QWidget *pDockWidget)
{
    auto *dock = qobject_cast<QDockWidget *>(pDockWidget);
    if (!dock || !dock->isActiveWindow())
        return false;
    if (dock->isFloating())
        return true;
    auto *mainWindow = qobject_cast<QMainWindow *>(dock->parentWidget());
    if (!mainWindow)
        return false;
    const QRect mainRect(mainWindow->mapToGlobal(QPoint(0, 0)), mainWindow->size());
    const QRect dockRect(dock->mapToGlobal(QPoint(0, 0)), dock->size());
    return !mainRect.intersected(dockRect).isEmpty();
}

QObject *CSquishProxy::findTrayIcon(const QString &strObjectName)
{
    lastSearchError = SearchNoError;

    QList<QSystemTrayIcon *> icons;
    // Compared by hand: findChildren treats a null name as "any name".
    const auto collect = [&](const QObject *root) {
        const QList<QSystemTrayIcon *> children = root->findChildren<QSystemTrayIcon *>();
        for (QSystemTrayIcon *icon : children) {
            if (icon->objectName() == strObjectName)
                icons.append(icon);
        }
    };
    if (QCoreApplication *app = QCoreApplication::instance())
        collect(app);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows)
        collect(window);

    if (icons.isEmpty()) {
        lastSearchError = SearchWidgetNotFound;
        return nullptr;
    }
    if (icons.size() > 1) {
        lastSearchError = SearchWidgetAmbiguous;
        return nullptr;
    }
    return icons.first();
}

} // namespace OxSquishProxy
