#include "wiretext.h"

#include <QTextCodec>

namespace WireText {

namespace {

bool utf8Text = false;

} // namespace

Encoding::Encoding(bool utf8) : previous(utf8Text)
{
    utf8Text = utf8;
}

Encoding::~Encoding()
{
    utf8Text = previous;
}

bool isUtf8()
{
    return utf8Text;
}

QByteArray encode(const QString &text)
{
    return utf8Text ? text.toUtf8() : text.toLatin1();
}

QString decode(const QByteArray &bytes)
{
    return utf8Text ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString value(const QString &decodedBytes)
{
    if (!utf8Text)
        return decodedBytes;
    const QByteArray bytes = decodedBytes.toLatin1();
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 ? text : decodedBytes;
}

} // namespace WireText
