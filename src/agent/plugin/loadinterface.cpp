#include "loadinterface.h"

#include "testclienttarnwrapper.h"
#include "zubase.h"

#include <QString>

#include <exception>
#include <new>

namespace {

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

extern "C" IDllInstance *ZuCreate(const char16_t *name)
{
    // Nothing may unwind into the host: it calls this as a C function.
    try {
        const QString instanceName = name ? QString::fromUtf16(name) : QString();
        return new (std::nothrow) TestClientTarnWrapper(instanceName);
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

extern "C" void ZuDestroy(IDllInstance *instance)
{
    delete dynamic_cast<TestClientTarnWrapper *>(instance);
}
