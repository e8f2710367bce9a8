#include "wiretext.h"

#include <QTextCodec>

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
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 ? text : decodedBytes;
}

} // namespace WireText
