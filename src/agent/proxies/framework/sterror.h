#pragma once

#include <QString>

// The one exception type of the proxies: a complete, formatted message. Thrown by
// value, caught by reference only by the request dispatcher.
class STError
{
public:
    STError();
    explicit STError(const QString &message);
    STError(const STError &other);
    virtual ~STError();

    QString message;
};

// Formats with C vsnprintf semantics (cut to 2046 bytes), reads the result as Latin-1
// and throws it as STError.
[[noreturn]] void raiseError(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// Throws text composed at run time (request fields, object names) verbatim: it is never
// read as a format, so a '%' in it stays as it is. Cut like raiseError.
[[noreturn]] void raiseMessage(const QByteArray &latin1Text);
