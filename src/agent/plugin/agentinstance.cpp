#include "agentinstance.h"

#include "testclienttarnwrapper.h"
#include "zubase.h"

#include <QString>

#include <exception>
#include <new>

namespace {

// The host's trace names the source file of its entry points, whichever way the agent
// was created.
const char sourceFile[] = "loadinterface";
const int sourceLine = 22;
const unsigned int traceCatchBlocks = 0x20;

void traceCatch(const char *message)
{
    if (ErrorHandler::Instance()->traceMask() & traceCatchBlocks)
        _Q_Trace(QString::fromLatin1(message), QString::fromLatin1(sourceFile), sourceLine);
}

void report(const ZuException &exception)
{
    try {
        IErrorHandler *handler = ErrorHandler::Interface();
        handler->handleException(exception);
        handler->handleException(exception, 0, 0xFFFFFFFFu, true, false);
    } catch (...) {
        // A handler that throws must not take the host down with it.
    }
}

} // namespace

IDllInstance *createAgentInstance(const char16_t *name, quint16 port, bool extended)
{
    // Nothing may unwind into the caller: the host calls this through a C function.
    try {
        const QString instanceName = name ? QString::fromUtf16(name) : QString();
        return new (std::nothrow) TestClientTarnWrapper(instanceName, port, extended);
    } catch (const ZuException &e) {
        traceCatch("ZuException caught in standard catch-block");
        report(e);
    } catch (const std::exception &e) {
        traceCatch("Standard C++ Exception caught in standard catch-block");
        const char *what = e.what();
        const ZuException wrapped(what ? QString::fromLatin1(what) : QString(),
                                  QString::fromLatin1(sourceFile), QStringLiteral("class"),
                                  QStringLiteral("method"), sourceLine, 0xFFFFFFFFu);
        report(wrapped);
    } catch (...) {
    }
    return nullptr;
}

void destroyAgentInstance(IDllInstance *instance)
{
    delete dynamic_cast<TestClientTarnWrapper *>(instance);
}
