#include "wiretext.h"

#include "qtcompat.h"

#include <cstring>

namespace WireText {

namespace {

// The longest message a reply carries, in bytes: what a formatting buffer of 2048 bytes
// holds with its terminator and one spare byte.
constexpr int messageLimit = 2046;

} // namespace

QByteArray encode(const QString &text, Mode mode)
{
    return mode == Mode::Extended ? singleLine(text.toUtf8()) : text.toLatin1();
}

QString value(const QString &decodedBytes, Mode mode)
{
    if (mode == Mode::Plain)
        return decodedBytes;
    const QByteArray bytes = decodedBytes.toLatin1();
    QString text;
    return QtCompat::decodeUtf8(bytes, &text) ? text : decodedBytes;
}

QByteArray message(const QString &text, Mode mode)
{
    QByteArray bytes = mode == Mode::Extended ? text.toUtf8() : text.toLatin1();
    // The plain mode's messages were C strings, which end at a NUL.
    if (mode == Mode::Plain && bytes.contains('\0'))
        bytes.truncate(bytes.indexOf('\0'));
    if (bytes.size() <= messageLimit)
        return mode == Mode::Extended ? singleLine(bytes) : bytes;
    int cut = messageLimit;
    // A continuation byte (10xxxxxx) belongs to the character begun before the cut.
    if (mode == Mode::Extended) {
        while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xc0) == 0x80)
            --cut;
    }
    bytes.truncate(cut);
    return mode == Mode::Extended ? singleLine(bytes) : bytes;
}

QByteArray singleLine(const QByteArray &bytes)
{
    const auto breaksLine = [](char c) { return c == '\n' || c == '\r' || c == '\0'; };
    // Three memchr passes over a listing's megabytes cost a fraction of one test a byte.
    const auto holds = [&bytes](char c) {
        return std::memchr(bytes.constData(), c, size_t(bytes.size())) != nullptr;
    };
    if (!holds('\n') && !holds('\r') && !holds('\0'))
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
