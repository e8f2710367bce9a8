#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>

#include <cstring>

class QJsonValue;

// Compact JSON written straight into a reply's bytes, in one pass and without building
// QJsonObject/QJsonDocument trees first: a listing of 10,000 widgets is 2 MB of JSON, and
// the trees cost several times the walk that fills them.
//
// The bytes are those QJsonDocument's compact form gives for the same values, so that a
// reply does not change with the way it is built: strings as UTF-8 with '"', '\\' and the
// control characters escaped (\b \f \n \r \t, else \u00xx), a lone surrogate as \uxxxx,
// integers in decimal, true and false. QJsonObject keeps its keys sorted: callers that
// replace one write their keys in that order. Commas are placed by the writer.
class JsonWriter
{
public:
    // Continues `head` (a reply's "0,j:"), with room for `expectedSize` bytes more.
    explicit JsonWriter(const QByteArray &head = QByteArray(), int expectedSize = 0);

    // Brackets, keys and booleans are inline: a listing writes each of them tens of
    // thousands of times, and a call costs more than the bytes.
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    // Keys are our own literals: plain ASCII that needs no escaping. Inline, so that the
    // copy of a literal's known length is a few moves (a listing writes 100,000 keys).
    void key(QLatin1String name)
    {
        const int length = int(name.size());
        char *cursor = room(length + 4);
        if (m_valueBefore)
            *cursor++ = ',';
        else
            unused(1);
        *cursor++ = '"';
        std::memcpy(cursor, name.data(), size_t(length));
        cursor[length] = '"';
        cursor[length + 1] = ':';
        m_valueBefore = false;
    }

    void string(const QString &text);
    void string(QLatin1String text);
    void number(int value);
    void boolean(bool value)
    {
        // Five bytes are copied either way; "true" gives the last one back.
        char *cursor = room(6);
        const int comma = m_valueBefore ? 1 : 0;
        cursor[0] = ',';
        std::memcpy(cursor + comma, value ? "true " : "false", 5);
        unused(1 - comma + (value ? 1 : 0));
        m_valueBefore = true;
    }
    // Any value, as QJsonDocument writes it (items built elsewhere as QJsonArray).
    void value(const QJsonValue &value);
    // A value this writer wrote before, kept by the caller: a text repeated in many
    // entries is escaped once.
    void written(const QByteArray &value);

    QByteArray take();

private:
    // `length` bytes of room at the end of the text, counted as written: the caller gives
    // back what it did not use with unused().
    char *room(int length)
    {
        if (m_used + length > m_capacity)
            grow(m_used + length);
        char *const at = m_data + m_used;
        m_used += length;
        return at;
    }
    void grow(int needed);
    void unused(int length) { m_used -= length; }
    void append(const char *bytes, int length);
    void separate();
    void open(char bracket)
    {
        char *cursor = room(2);
        cursor[0] = ',';
        cursor[m_valueBefore ? 1 : 0] = bracket;
        if (!m_valueBefore)
            unused(1);
        m_valueBefore = false;
    }
    void close(char bracket)
    {
        *room(1) = bracket;
        m_valueBefore = true;
    }

    // The bytes are written past m_used into room made ahead in doubling steps, rather
    // than appended: each QByteArray append checks, and now and then moves, the whole text.
    QByteArray m_out;
    char *m_data = nullptr; // m_out's bytes, all m_capacity of them
    int m_capacity = 0;
    int m_used = 0;
    bool m_valueBefore = false; // a value precedes: the next one needs a comma
};
