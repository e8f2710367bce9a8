#include "sterror.h"
#include "protocol/wiretext.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Messages are formatted into a fixed buffer whose size limit leaves room for the
// terminator and one spare byte, so the longest message is 2046 bytes.
constexpr int messageBufferSize = 2048;
constexpr int messageLimit = messageBufferSize - 1;

} // namespace

STError::STError() = default;

STError::STError(const QString &message) : message(message) {}

STError::STError(const STError &other) = default;

STError::~STError() = default;

void raiseError(const char *format, ...)
{
    char buffer[messageBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, messageLimit, format, args);
    va_end(args);
    throw STError(WireText::decode(QByteArray(buffer)));
}

void raiseMessage(const QByteArray &latin1Text)
{
    // Passed as an argument so that a '%' in the text is never read as a directive.
    raiseError("%s", latin1Text.constData());
}
