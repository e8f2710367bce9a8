#include "jsonwriter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

#include <charconv>
#include <cstring>

namespace {

char hexDigit(uint digit)
{
    return char(digit < 10 ? '0' + digit : 'a' + digit - 10);
}

// The escape of an ASCII character, or 0 when it goes as it is.
char shortEscape(ushort unit)
{
    switch (unit) {
    case '"':
        return '"';
    case '\\':
        return '\\';
    case '\b':
        return 'b';
    case '\f':
        return 'f';
    case '\n':
        return 'n';
    case '\r':
        return 'r';
    case '\t':
        return 't';
    default:
        return unit < 0x20 ? 'u' : 0;
    }
}

char *unicodeEscape(char *cursor, uint unit)
{
    *cursor++ = '\\';
    *cursor++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *cursor++ = hexDigit((unit >> shift) & 0xf);
    return cursor;
}

char *asciiEscaped(char *cursor, ushort unit)
{
    const char escape = shortEscape(unit);
    if (!escape) {
        *cursor++ = char(unit);
    } else if (escape == 'u') {
        cursor = unicodeEscape(cursor, unit);
    } else {
        *cursor++ = '\\';
        *cursor++ = escape;
    }
    return cursor;
}

// One code point as UTF-8 from `*unit`, moving past a surrogate pair.
char *utf8(char *cursor, const ushort *&unit, const ushort *end)
{
    uint code = *unit++;
    if (QChar::isHighSurrogate(code) && unit != end && QChar::isLowSurrogate(*unit)) {
        code = QChar::surrogateToUcs4(ushort(code), *unit++);
        *cursor++ = char(0xf0 | (code >> 18));
        *cursor++ = char(0x80 | ((code >> 12) & 0x3f));
    } else if (QChar::isSurrogate(code)) {
        return unicodeEscape(cursor, code);
    } else if (code >= 0x800) {
        *cursor++ = char(0xe0 | (code >> 12));
    } else {
        *cursor++ = char(0xc0 | (code >> 6));
        *cursor++ = char(0x80 | (code & 0x3f));
        return cursor;
    }
    *cursor++ = char(0x80 | ((code >> 6) & 0x3f));
    *cursor++ = char(0x80 | (code & 0x3f));
    return cursor;
}

} // namespace

JsonWriter::JsonWriter(const QByteArray &head, int expectedSize) : m_out(head)
{
    m_out.reserve(head.size() + expectedSize);
}

void JsonWriter::separate()
{
    if (m_valueBefore)
        m_out += ',';
}

void JsonWriter::open(char bracket)
{
    const char piece[2] = {',', bracket};
    m_out.append(piece + (m_valueBefore ? 0 : 1), m_valueBefore ? 2 : 1);
    m_valueBefore = false;
}

void JsonWriter::close(char bracket)
{
    m_out += bracket;
    m_valueBefore = true;
}

void JsonWriter::beginArray()
{
    open('[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::beginObject()
{
    open('{');
}

void JsonWriter::endObject()
{
    close('}');
}

// Each piece goes in with one append, its comma included: at 100,000 keys and values a
// listing's appends are a good part of its cost.
void JsonWriter::key(QLatin1String name)
{
    char piece[64];
    char *cursor = piece;
    if (m_valueBefore)
        *cursor++ = ',';
    *cursor++ = '"';
    const int length = int(qMin<qsizetype>(name.size(), sizeof piece - 4));
    std::memcpy(cursor, name.data(), size_t(length));
    cursor += length;
    *cursor++ = '"';
    *cursor++ = ':';
    m_out.append(piece, int(cursor - piece));
    m_valueBefore = false;
}

// Room for the worst case (six bytes a unit) is made once, the bytes are written through a
// pointer, and the size is cut back to what was written: the capacity stays for the next.
void JsonWriter::string(const QString &text)
{
    const int start = m_out.size();
    m_out.resize(start + 3 + 6 * text.size());
    char *const begin = m_out.data() + start;
    char *cursor = begin;
    if (m_valueBefore)
        *cursor++ = ',';
    *cursor++ = '"';
    const ushort *unit = text.utf16();
    const ushort *const end = unit + text.size();
    while (unit != end) {
        const ushort code = *unit;
        if (code >= 0x20 && code < 0x80 && code != '"' && code != '\\') {
            *cursor++ = char(code); // most characters of most texts
            ++unit;
        } else if (code < 0x80) {
            cursor = asciiEscaped(cursor, *unit++);
        } else {
            cursor = utf8(cursor, unit, end);
        }
    }
    *cursor++ = '"';
    m_out.resize(start + int(cursor - begin));
    m_valueBefore = true;
}

void JsonWriter::string(QLatin1String text)
{
    const int start = m_out.size();
    m_out.resize(start + 3 + 6 * text.size());
    char *const begin = m_out.data() + start;
    char *cursor = begin;
    if (m_valueBefore)
        *cursor++ = ',';
    *cursor++ = '"';
    for (const char c : text) {
        const auto code = uchar(c);
        if (code < 0x80) {
            cursor = asciiEscaped(cursor, code);
        } else {
            *cursor++ = char(0xc0 | (code >> 6));
            *cursor++ = char(0x80 | (code & 0x3f));
        }
    }
    *cursor++ = '"';
    m_out.resize(start + int(cursor - begin));
    m_valueBefore = true;
}

void JsonWriter::number(int value)
{
    char digits[16];
    char *cursor = digits;
    if (m_valueBefore)
        *cursor++ = ',';
    const auto written = std::to_chars(cursor, digits + sizeof digits, value);
    m_out.append(digits, int(written.ptr - digits));
    m_valueBefore = true;
}

void JsonWriter::boolean(bool value)
{
    const char *const words[2][2] = {{"false", "true"}, {",false", ",true"}};
    const char *word = words[m_valueBefore][value];
    m_out.append(word, int(std::strlen(word)));
    m_valueBefore = true;
}

void JsonWriter::value(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return boolean(value.toBool());
    case QJsonValue::String:
        return string(value.toString());
    case QJsonValue::Double: {
        // QJsonDocument's own form of a number; an integer shows no decimals.
        const double number = value.toDouble();
        separate();
        m_out += qIsFinite(number) ? QByteArray::number(number, 'g', QLocale::FloatingPointShortest)
                                   : QByteArray("null");
        m_valueBefore = true;
        return;
    }
    case QJsonValue::Array: {
        beginArray();
        const QJsonArray array = value.toArray();
        for (const QJsonValue &element : array)
            this->value(element);
        return endArray();
    }
    case QJsonValue::Object: {
        beginObject();
        const QJsonObject object = value.toObject();
        for (auto member = object.begin(); member != object.end(); ++member) {
            separate();
            m_valueBefore = false;
            string(member.key());
            m_out += ':';
            m_valueBefore = false;
            this->value(member.value());
        }
        return endObject();
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        separate();
        m_out += "null";
        m_valueBefore = true;
        return;
    }
}
