#include "sterror.h"

#include <cstdarg>

STError::STError() = default;

STError::STError(const QString &message) : message(message) {}

STError::STError(const STError &other) = default;

STError::~STError() = default;

void raiseError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString message = QString::vasprintf(format, args);
    va_end(args);
    throw STError(message);
}

void raiseMessage(const QString &message)
{
    throw STError(message);
}
