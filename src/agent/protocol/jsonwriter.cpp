#include "jsonwriter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Which ASCII characters a JSON string holds as they are: all but the controls, '"' and '\\'.
struct PlainAscii
{
    constexpr PlainAscii() : plain()
    {
        for (int c = 0x20; c < 0x80; ++c)
            plain[c] = c != '"' && c != '\\';
    }
    bool plain[0x80];
};
constexpr PlainAscii plainAscii;

// Copies the units from `unit` on, eight at a time, while all eight are plain ASCII, and
// returns where the copy stopped; the caller writes the rest one unit at a time. Most texts
// are plain throughout, and a listing writes about a million of their characters.
const ushort *plainRun(const ushort *unit, const ushort *end, char *&cursor)
{
#ifdef __SSE2__
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i del = _mm_set1_epi16(0x7f);
    const __m128i quote = _mm_set1_epi16('"');
    const __m128i backslash = _mm_set1_epi16('\\');
    while (end - unit >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(unit));
        // Signed compares: a unit from 0x8000 up is negative, below the space.
        const __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_cmplt_epi16(units, space), _mm_cmpgt_epi16(units, del)),
            _mm_or_si128(_mm_cmpeq_epi16(units, quote), _mm_cmpeq_epi16(units, backslash)));
        if (_mm_movemask_epi8(special))
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(cursor), _mm_packus_epi16(units, units));
        cursor += 8;
        unit += 8;
    }
#else
    Q_UNUSED(end);
    Q_UNUSED(cursor);
#endif
    return unit;
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

JsonWriter::JsonWriter(const QByteArray &head, int expectedSize) : m_out(head), m_used(head.size())
{
    grow(head.size() + expectedSize);
}

QByteArray JsonWriter::take()
{
    m_out.resize(m_used);
    m_data = nullptr;
    m_capacity = m_used = 0;
    return std::move(m_out);
}

void JsonWriter::grow(int needed)
{
    m_out.resize(std::max(needed, 2 * m_capacity + 4096));
    m_data = m_out.data();
    m_capacity = m_out.size();
}

void JsonWriter::append(const char *bytes, int length)
{
    std::memcpy(room(length), bytes, size_t(length));
}

void JsonWriter::separate()
{
    if (m_valueBefore)
        append(",", 1);
}

// Room for the worst case (six bytes a unit) is made, the bytes are written through a
// pointer, and what was not written is given back.
void JsonWriter::string(const QString &text)
{
    const int worst = 3 + 6 * text.size();
    char *const begin = room(worst);
    char *cursor = begin;
    if (m_valueBefore)
        *cursor++ = ',';
    *cursor++ = '"';
    const ushort *unit = text.utf16();
    const ushort *const end = unit + text.size();
    while (unit != end) {
        unit = plainRun(unit, end, cursor);
        // The eight units that held one to escape or encode (or the last few), one by one.
        for (const ushort *stop = std::min(unit + 8, end); unit < stop;) {
            const ushort code = *unit;
            if (code < 0x80 && plainAscii.plain[code]) {
                *cursor++ = char(code);
                ++unit;
            } else if (code < 0x80) {
                cursor = asciiEscaped(cursor, *unit++);
            } else {
                cursor = utf8(cursor, unit, end);
            }
        }
    }
    *cursor++ = '"';
    unused(worst - int(cursor - begin));
    m_valueBefore = true;
}

void JsonWriter::string(QLatin1String text)
{
    const int worst = 3 + 6 * int(text.size());
    char *const begin = room(worst);
    char *cursor = begin;
    if (m_valueBefore)
        *cursor++ = ',';
    *cursor++ = '"';
    for (const char c : text) {
        const auto code = uchar(c);
        if (code < 0x80 && plainAscii.plain[code]) {
            *cursor++ = c; // class names and the like: nothing to escape
        } else if (code < 0x80) {
            cursor = asciiEscaped(cursor, code);
        } else {
            *cursor++ = char(0xc0 | (code >> 6));
            *cursor++ = char(0x80 | (code & 0x3f));
        }
    }
    *cursor++ = '"';
    unused(worst - int(cursor - begin));
    m_valueBefore = true;
}

void JsonWriter::number(int value)
{
    char *const begin = room(16);
    char *cursor = begin;
    if (m_valueBefore)
        *cursor++ = ',';
    cursor = std::to_chars(cursor, begin + 16, value).ptr;
    unused(int(begin + 16 - cursor));
    m_valueBefore = true;
}

void JsonWriter::written(const QByteArray &value)
{
    separate();
    append(value.constData(), value.size());
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
        const QByteArray text =
            qIsFinite(number) ? QByteArray::number(number, 'g', QLocale::FloatingPointShortest)
                              : QByteArray("null");
        append(text.constData(), text.size());
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
            append(":", 1);
            m_valueBefore = false;
            this->value(member.value());
        }
        return endObject();
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        separate();
        append("null", 4);
        m_valueBefore = true;
        return;
    }
}
