#pragma once

#include "searcherror.h"

#include <QPoint>
#include <QStringList>
#include <QStyle>
#include <QWidget>

namespace OxSquishProxy {

// The invisible helper widget that test scripts of the outside tool call into. Scripts
// find it by object name and call its slots by name through the meta-object system, so
// the slots, their order and their parameter names are an interface: change nothing here
// without the scripts in mind. Slots never throw; failures are null results, (-1, -1) or
// false, with the search outcome readable through getLastError().
class CSquishProxy : public QWidget
{
    Q_OBJECT

public:
    explicit CSquishProxy(const char *name);
    ~CSquishProxy() override;

public slots:
    QWidget *findWidgetByHierarchicalName(const QStringList &hierarchicalName,
                                          const QString &windowTitle = QString(),
                                          QWidget *pWindow = nullptr, bool bOnlyVisible = true,
                                          bool bWildCardWindowTitle = false);
    QString getLastError();
    QWidget *getQWidgetNullPtr();
    QPoint getCheckBoxCheckClickPos(QWidget *pCheckBox);
    QPoint getGroupBoxCheckClickPos(QWidget *pGroupBox);
    QPoint getRadioButtonClickPos(QWidget *pRadioButton);
    QPoint getToolButtonClickPos(QWidget *pToolButton, QStyle::SubControl subControl);
    QWidget *getActivatedSiblingDockWidget(QWidget *pDockWidget);
    bool isDockWidgetActive(QWidget *pDockWidget);
    QObject *findTrayIcon(const QString &strObjectName);

private:
    // The outcome of the last search of any helper object: scripts read it through
    // whichever object they hold, so it is one for the whole process.
    static SearchErrorKind lastSearchError;
};

} // namespace OxSquishProxy
