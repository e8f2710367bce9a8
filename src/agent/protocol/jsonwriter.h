#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QString>

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

    void beginArray();
    void endArray();
    void beginObject();
    void endObject();
    // Keys are our own literals: plain ASCII that needs no escaping.
    void key(QLatin1String name);

    void string(const QString &text);
    void string(QLatin1String text);
    void number(int value);
    void boolean(bool value);
    // Any value, as QJsonDocument writes it (items built elsewhere as QJsonArray).
    void value(const QJsonValue &value);

    QByteArray take() { return std::move(m_out); }

private:
    void separate();
    void open(char bracket);
    void close(char bracket);

    QByteArray m_out;
    bool m_valueBefore = false; // a value precedes: the next one needs a comma
};
