#pragma once

#include "csquishproxy.h"

namespace OxSquishProxy {

// The helper object the agent registers for the outside tool's scripts: the searches of
// CSquishProxy plus the lookup by window name and widget path that the wire requests use.
class CVornProxy : public CSquishProxy
{
    Q_OBJECT

public:
    explicit CVornProxy(const char *name);

public slots:
    QWidget *getWidget(const QString &p_cap, const QString &p_path, bool checkModality = true);
    QString getLastVornError();

private:
    int lastError = 0; // LookupErrorKind of the last getWidget
};

} // namespace OxSquishProxy
