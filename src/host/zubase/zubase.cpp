#include "zubase.h"

#include <cstdio>

ZuException::ZuException(const QString &message, const QString &file, const QString &className,
                         const QString &method, unsigned int line, unsigned int code)
    : message(message), file(file), className(className), method(method), line(line), code(code)
{
}

ZuException::~ZuException() = default;

IErrorHandler::~IErrorHandler() = default;

namespace {

class StderrErrorHandler : public IErrorHandler
{
public:
    void handleException(const ZuException &e) override
    {
        std::fprintf(stderr, "ZuException: %s (%s:%u)\n", qPrintable(e.message), qPrintable(e.file),
                     e.line);
    }
    void handleException(const ZuException &, int, unsigned int, bool, bool) override {}
};

StderrErrorHandler defaultHandler;

} // namespace

ErrorHandler::ErrorHandler() = default;

ErrorHandler *ErrorHandler::Instance()
{
    static ErrorHandler instance;
    return &instance;
}

IErrorHandler *ErrorHandler::Interface()
{
    ErrorHandler *self = Instance();
    return self->handler ? self->handler : &defaultHandler;
}

void ErrorHandler::setInterface(IErrorHandler *handler)
{
    this->handler = handler;
}

void ErrorHandler::setTraceSink(TraceSink sink)
{
    this->sink = std::move(sink);
}

void ErrorHandler::trace(const QString &message, const QString &file, int line)
{
    if (sink)
        sink(message, file, line);
    else
        std::fprintf(stderr, "trace %s:%d: %s\n", qPrintable(file), line, qPrintable(message));
}

void _Q_Trace(const QString &message, const QString &file, int line)
{
    ErrorHandler::Instance()->trace(message, file, line);
}
