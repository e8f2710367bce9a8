#pragma once

#include <QString>

// The one exception type of the proxies: a complete, formatted message. Thrown by
// value, caught by reference only by the request dispatcher, which encodes the message
// for the reply (protocol/replyline.h).
class STError
{
public:
    STError();
    explicit STError(const QString &message);
    STError(const STError &other);
    virtual ~STError();

    QString message;
};

// Formats with printf's directives (a "%s" argument is UTF-8) and throws the result as
// STError. Texts of the application (object names, titles, item texts) are no arguments
// of it: they go into messages built with raiseMessage.
[[noreturn]] void raiseError(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// Throws text composed at run time (request fields, object names) verbatim: it is never
// read as a format, so a '%' in it stays as it is.
[[noreturn]] void raiseMessage(const QString &message);

// Fills "%1", "%2", ... of format with the texts, each put in as it is (one pass: a '%' in
// a text is never read), and throws the result: for texts of the application.
template <typename... Texts> [[noreturn]] void raiseWith(const char *format, const Texts &...texts)
{
    raiseMessage(QString::fromUtf8(format).arg(texts...));
}
