#pragma once

#include <QList>
#include <QObject>

namespace OxSquishProxy {

class CSquishProxy;

// Deletes every script-side helper object when the application is about to quit, so none
// of them outlives the widgets it points at. One instance per process, created by the
// first helper object; the static storage holding it deletes it when the agent library is
// unloaded, which cleans up whatever is still registered.
class CInternalSquishProxyCleanup : public QObject
{
    Q_OBJECT

public:
    CInternalSquishProxyCleanup();
    ~CInternalSquishProxyCleanup() override;

    // The process-wide instance, or null before the first helper object existed.
    static CInternalSquishProxyCleanup *instance();
    // The process-wide instance, created on first use.
    static CInternalSquishProxyCleanup *ensureInstance();

    // Both do nothing while doCleanup runs: it owns the list then.
    void registerProxy(CSquishProxy *proxy);
    void unregisterProxy(CSquishProxy *proxy);

public slots:
    void doCleanup();

private:
    QList<CSquishProxy *> proxies; // in registration order
    bool cleaningUp = false;
};

} // namespace OxSquishProxy
