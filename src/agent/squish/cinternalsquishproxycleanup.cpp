#include "cinternalsquishproxycleanup.h"

#include "csquishproxy.h"

#include <QCoreApplication>

#include <memory>

namespace OxSquishProxy {

namespace {
// Destroyed with the library's static data, after aboutToQuit has normally emptied the list.
std::unique_ptr<CInternalSquishProxyCleanup> proxyCleanup;

// A host that never runs the application's exec() (test binaries do not) never sends
// aboutToQuit. The application object's destructor calls its post routines while the
// widget machinery still stands: the last moment at which widgets can be deleted.
void cleanupAtApplicationEnd()
{
    if (proxyCleanup)
        proxyCleanup->doCleanup();
}
} // namespace

CInternalSquishProxyCleanup::CInternalSquishProxyCleanup()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &CInternalSquishProxyCleanup::doCleanup);
    qAddPostRoutine(cleanupAtApplicationEnd);
}

CInternalSquishProxyCleanup::~CInternalSquishProxyCleanup()
{
    // The routine would outlive the library's code.
    qRemovePostRoutine(cleanupAtApplicationEnd);
    // Runs during library unload: nothing may escape from here. Widgets cannot be deleted
    // once the application object is gone, so whatever is left then is abandoned.
    try {
        if (QCoreApplication::instance())
            doCleanup();
    } catch (...) {
    }
}

CInternalSquishProxyCleanup *CInternalSquishProxyCleanup::instance()
{
    return proxyCleanup.get();
}

CInternalSquishProxyCleanup *CInternalSquishProxyCleanup::ensureInstance()
{
    if (!proxyCleanup)
        proxyCleanup.reset(new CInternalSquishProxyCleanup);
    return proxyCleanup.get();
}

void CInternalSquishProxyCleanup::registerProxy(CSquishProxy *proxy)
{
    if (!cleaningUp)
        proxies.append(proxy);
}

void CInternalSquishProxyCleanup::unregisterProxy(CSquishProxy *proxy)
{
    if (!cleaningUp)
        proxies.removeOne(proxy);
}

void CInternalSquishProxyCleanup::doCleanup()
{
    // While the flag is set the destructors below leave the list alone, so walking it
    // while deleting is safe.
    cleaningUp = true;
    for (CSquishProxy *proxy : qAsConst(proxies))
        delete proxy;
    proxies.clear();
    cleaningUp = false;
}

} // namespace OxSquishProxy
