#include "replydecoder.h"

#include <QJsonArray>
#include <QList>
#include <QStringList>

#include <iterator>

namespace ReplyDecoder {

namespace {

QString errorName(char code)
{
    static const char *const names[] = {
        "not found",                            // 2
        "several windows",                      // 3
        "not the active popup or modal window", // 4
        "widget not found",                     // 5
        "not visible",                          // 6
        "several widgets",                      // 7
        "command error",                        // 8
    };
    const int index = code - '2';
    if (index < 0 || index >= int(std::size(names)))
        return QStringLiteral("unknown status");
    return QString::fromLatin1(names[index]);
}

// The agent's encodehex: each UTF-16 unit padded to two digits only, so it cannot be
// split back unambiguously in general; titles in Latin-1 decode exactly.
QString decodeTitle(const QByteArray &hex)
{
    return QString::fromLatin1(QByteArray::fromHex(hex));
}

QString describeMalformed(const DecodedReply &reply)
{
    return QStringLiteral("(malformed) ") + QString::fromUtf8(reply.line);
}

QString describeRecord(const QList<QByteArray> &f)
{
    if (f.isEmpty())
        return QStringLiteral("nothing under the cursor");
    return QStringLiteral("class %1, %2 listed, %3 visible\npath   %4\nwindow %5 \"%6\"\n"
                          "pid %7, hook version %8")
        .arg(QString::fromLatin1(f[0]), QString::fromLatin1(f[1]), QString::fromLatin1(f[2]),
             QString::fromUtf8(f[3]), QString::fromUtf8(f[4]), decodeTitle(f[5]),
             QString::fromLatin1(f[6]), QString::fromLatin1(f[7]));
}

QString describeValue(const DecodedReply &reply)
{
    const QByteArray &type = reply.type;
    const QList<QByteArray> &parts = reply.parts;
    if (type == "l:") {
        QStringList lines;
        for (const QByteArray &entry : parts)
            lines << QStringLiteral("  ") + QString::fromUtf8(entry);
        return QStringLiteral("list of %1\n").arg(parts.size()) + lines.join('\n');
    }
    if (type == "u:")
        return QStringLiteral("text \"%1\"").arg(reply.text);
    if (type == "x:")
        return QStringLiteral("XPM image, %1 bytes").arg(reply.value.size() / 2);
    if (type == "r:" && parts.size() == 4)
        return QStringLiteral("rectangle left %1 top %2 right %3 bottom %4")
            .arg(QString::fromLatin1(parts[0]), QString::fromLatin1(parts[1]),
                 QString::fromLatin1(parts[2]), QString::fromLatin1(parts[3]));
    if (type == "b:" || type == "i:")
        return QStringLiteral("value %1").arg(QString::fromLatin1(reply.value));
    return QStringLiteral("ok \"%1\"").arg(QString::fromUtf8(reply.payload));
}

QJsonObject recordToJson(const QList<QByteArray> &f)
{
    return QJsonObject{{QStringLiteral("className"), QString::fromLatin1(f[0])},
                       {QStringLiteral("listed"), f[1].toInt()},
                       {QStringLiteral("visible"), f[2].toInt()},
                       {QStringLiteral("path"), QString::fromUtf8(f[3])},
                       {QStringLiteral("windowObjectName"), QString::fromUtf8(f[4])},
                       {QStringLiteral("windowTitle"), decodeTitle(f[5])},
                       {QStringLiteral("pid"), f[6].toLongLong()},
                       {QStringLiteral("hookVersion"), f[7].toInt()}};
}

QJsonValue valueToJson(const DecodedReply &reply)
{
    const QByteArray &type = reply.type;
    if (type == "b:")
        return reply.value == "true";
    if (type == "i:")
        return reply.value.toLongLong();
    if (type == "u:" || type == "x:")
        return reply.text;
    if (type == "r:") {
        QJsonArray corners;
        for (const QByteArray &corner : reply.parts)
            corners.append(corner.toInt());
        return corners;
    }
    if (type == "l:") {
        QJsonArray entries;
        for (const QByteArray &entry : reply.parts)
            entries.append(QString::fromUtf8(entry));
        return entries;
    }
    return QString::fromUtf8(reply.payload);
}

} // namespace

DecodedReply decode(const QByteArray &reply)
{
    DecodedReply decoded;
    decoded.line = reply;
    if (reply.isNull())
        return decoded;
    if (reply.size() < 2 || reply.at(1) != ',') {
        decoded.form = DecodedReply::Form::Malformed;
        return decoded;
    }
    decoded.status = reply.at(0);
    decoded.payload = reply.mid(2);
    if (decoded.status == '?') {
        decoded.form = DecodedReply::Form::Record;
        const QList<QByteArray> fields = decoded.payload.split(',');
        if (fields.size() >= 8)
            decoded.parts = fields;
        return decoded;
    }
    if (decoded.status != '0') {
        decoded.form = DecodedReply::Form::Error;
        return decoded;
    }
    decoded.form = DecodedReply::Form::Value;
    decoded.type = decoded.payload.left(2);
    decoded.value = decoded.payload.mid(2);
    if (decoded.type == "l:") {
        // Every entry follows a form feed: what stands before the first one is no entry.
        decoded.parts = decoded.value.split('\x0c');
        decoded.parts.removeFirst();
    } else if (decoded.type == "r:") {
        decoded.parts = decoded.value.split(',');
    } else if (decoded.type == "u:" || decoded.type == "x:") {
        decoded.text = QString::fromUtf8(QByteArray::fromHex(decoded.value));
    }
    return decoded;
}

QString describe(const DecodedReply &reply)
{
    switch (reply.form) {
    case DecodedReply::Form::Missing:
        return QStringLiteral("(no reply)");
    case DecodedReply::Form::Malformed:
        return describeMalformed(reply);
    case DecodedReply::Form::Record:
        return describeRecord(reply.parts);
    case DecodedReply::Form::Error:
        // JSON gives a line that starts with two commas a comma for status, where the text
        // has always called it malformed; scripts and people each keep the form they know.
        if (reply.status == ',')
            return describeMalformed(reply);
        return QStringLiteral("error %1 (%2): %3")
            .arg(QString(QLatin1Char(reply.status)), errorName(reply.status),
                 QString::fromUtf8(reply.payload));
    case DecodedReply::Form::Value:
        return describeValue(reply);
    }
    return QString();
}

QJsonObject toJson(const DecodedReply &reply)
{
    QJsonObject json{{QStringLiteral("reply"), QString::fromUtf8(reply.line)}};
    if (reply.form == DecodedReply::Form::Missing || reply.form == DecodedReply::Form::Malformed) {
        json.insert(QStringLiteral("status"), QJsonValue::Null);
        return json;
    }
    json.insert(QStringLiteral("status"), QString(QLatin1Char(reply.status)));
    if (reply.form == DecodedReply::Form::Record) {
        if (!reply.parts.isEmpty())
            json.insert(QStringLiteral("record"), recordToJson(reply.parts));
    } else if (reply.form == DecodedReply::Form::Error) {
        json.insert(QStringLiteral("message"), QString::fromUtf8(reply.payload));
    } else {
        json.insert(QStringLiteral("value"), valueToJson(reply));
    }
    return json;
}

QByteArray hexValue(const QString &typedValue)
{
    return typedValue.toLatin1().toHex();
}

} // namespace ReplyDecoder
