#include "stqstatusbar.h"

#include <QStatusBar>

QStringList STQStatusBar::pseudoPropertyNames()
{
    return QStringList{QStringLiteral("currentMessage")};
}

QVariant STQStatusBar::pseudoProperty(const char *name, const QVariant & /*parameter*/)
{
    if (qstrcmp(name, "currentMessage") != 0)
        return QVariant();
    // Empty once a temporary message has timed out or was cleared.
    return static_cast<QStatusBar *>(checkedWidget("QStatusBar"))->currentMessage();
}
