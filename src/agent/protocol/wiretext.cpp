#include "wiretext.h"

#include "qtcompat.h"

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
    return extendedRequest ? text.toUtf8() : text.toLatin1();
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

} // namespace WireText
