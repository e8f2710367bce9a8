#pragma once

#include <QString>

#include <functional>

// A small stand-in for the host framework's base library: error reporting and tracing.

class ZuException
{
public:
    ZuException(const QString &message, const QString &file, const QString &className,
                const QString &method, unsigned int line, unsigned int code);
    virtual ~ZuException();

    QString message;
    QString file;
    QString className;
    QString method;
    unsigned int line;
    unsigned int code;
};

// The host's error sink. Plug-ins hand it every failure they caught at their boundary.
class IErrorHandler
{
public:
    virtual ~IErrorHandler();
    virtual void handleException(const ZuException &exception) = 0;
    virtual void handleException(const ZuException &exception, int severity, unsigned int code,
                                 bool showToUser, bool abort) = 0;
};

class ErrorHandler
{
public:
    static ErrorHandler *Instance();
    static IErrorHandler *Interface();

    unsigned int traceMask() const { return enabledTraces; }
    void setTraceMask(unsigned int mask) { enabledTraces = mask; }

    // Replaces the handler that Interface() returns; null restores the default one,
    // which writes to standard error. The caller keeps ownership.
    void setInterface(IErrorHandler *handler);

    // Receives every _Q_Trace line; null restores the default sink (standard error).
    using TraceSink = std::function<void(const QString &message, const QString &file, int line)>;
    void setTraceSink(TraceSink sink);
    void trace(const QString &message, const QString &file, int line);

private:
    ErrorHandler();
    unsigned int enabledTraces = 0;
    IErrorHandler *handler = nullptr;
    TraceSink sink;
};

void _Q_Trace(const QString &message, const QString &file, int line);
