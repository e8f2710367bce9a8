#include "wiretext.h"

#include "qtcompat.h"

#include <algorithm>

namespace WireText {

namespace {

bool extendedRequest = false;

} // namespace

RequestMode::RequestMode(bool extended) : previous(extendedRequest)
{
    extendedRequest = extended;
}

RequestMode::~RequestMode()
{
    extendedRequest = previous;
}

bool isExtended()
{
    return extendedRequest;
}

QByteArray encode(const QString &text)
{
    return extendedRequest ? singleLine(text.toUtf8()) : text.toLatin1();
}

QString decode(const QByteArray &bytes)
{
    return extendedRequest ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString value(const QString &decodedBytes)
{
    if (!extendedRequest)
        return decodedBytes;
    const QByteArray bytes = decodedBytes.toLatin1();
    QString text;
    return QtCompat::decodeUtf8(bytes, &text) ? text : decodedBytes;
}

QByteArray singleLine(const QByteArray &bytes)
{
    const auto breaksLine = [](char c) { return c == '\n' || c == '\r' || c == '\0'; };
    if (std::none_of(bytes.cbegin(), bytes.cend(), breaksLine))
        return bytes;
    QByteArray line;
    line.reserve(bytes.size() + 16);
    for (const char c : bytes) {
        if (!breaksLine(c)) {
            line += c;
            continue;
        }
        line += '\\';
        line += c == '\n' ? 'n' : c == '\r' ? 'r' : '0';
    }
    return line;
}

} // namespace WireText
