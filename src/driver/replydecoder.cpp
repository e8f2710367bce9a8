#include "replydecoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <climits>
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

// A listing of requests 20 and 21 is an array of objects that each carry an address and a
// class; anything else in JSON is only pretty-printed.
bool isListing(const QJsonValue &json)
{
    if (!json.isArray() || json.toArray().isEmpty())
        return false;
    const QJsonArray entries = json.toArray();
    return std::all_of(entries.begin(), entries.end(), [](const QJsonValue &entry) {
        return entry.isObject() && entry.toObject().contains(QLatin1String("address")) &&
               entry.toObject().contains(QLatin1String("class"));
    });
}

// One line per window or widget: its address first, as a person copies it into a request,
// then what identifies it on the screen. Widgets are indented by their depth in the tree.
QString describeListing(const QJsonArray &entries)
{
    QStringList lines{QStringLiteral("list of %1").arg(entries.size())};
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        // Windows carry a title, widgets a text; a text of several lines stays on one.
        QString text = entry.contains(QLatin1String("title"))
                           ? entry.value(QLatin1String("title")).toString()
                           : entry.value(QLatin1String("text")).toString();
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        QString line = QStringLiteral("  %1%2  %3 \"%4\" \"%5\"")
                           .arg(QString(2 * entry.value(QLatin1String("depth")).toInt(), ' '),
                                entry.value(QLatin1String("address")).toString(),
                                entry.value(QLatin1String("class")).toString(),
                                entry.value(QLatin1String("name")).toString(), text);
        const QJsonArray geometry = entry.value(QLatin1String("geometry")).toArray();
        if (geometry.size() == 4)
            line += QStringLiteral(" at %1,%2 %3x%4")
                        .arg(geometry[0].toInt())
                        .arg(geometry[1].toInt())
                        .arg(geometry[2].toInt())
                        .arg(geometry[3].toInt());
        QStringList flags;
        if (entry.value(QLatin1String("modal")).toBool())
            flags << QStringLiteral("modal");
        if (entry.value(QLatin1String("active")).toBool())
            flags << QStringLiteral("active");
        if (entry.value(QLatin1String("enabled")) == QJsonValue(false))
            flags << QStringLiteral("disabled");
        if (entry.value(QLatin1String("focus")).toBool())
            flags << QStringLiteral("focus");
        if (!flags.isEmpty())
            line += QStringLiteral(" (") + flags.join(QLatin1String(", ")) + QLatin1Char(')');
        lines << line;
    }
    return lines.join('\n');
}

QString describeJson(const DecodedReply &reply)
{
    if (reply.json.isUndefined())
        return QStringLiteral("(malformed JSON: %1) %2")
            .arg(reply.jsonError, QString::fromUtf8(reply.value));
    if (isListing(reply.json))
        return describeListing(reply.json.toArray());
    // QJsonDocument holds only arrays and objects: a lone value is printed inside an array
    // whose brackets are then taken off.
    const bool container = reply.json.isArray() || reply.json.isObject();
    const QJsonDocument document =
        reply.json.isObject()
            ? QJsonDocument(reply.json.toObject())
            : QJsonDocument(container ? reply.json.toArray() : QJsonArray{reply.json});
    const QString text = QString::fromUtf8(
        document.toJson(container ? QJsonDocument::Indented : QJsonDocument::Compact));
    return container ? text.trimmed() : text.mid(1).chopped(1);
}

QString describePng(const QByteArray &png)
{
    const QSize size = pngSize(png);
    if (!size.isValid())
        return QStringLiteral("not a PNG image, %1 bytes").arg(png.size());
    return QStringLiteral("PNG image %1x%2, %3 bytes")
        .arg(size.width())
        .arg(size.height())
        .arg(png.size());
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
    if (type == "j:")
        return describeJson(reply);
    if (type == "p:")
        return describePng(reply.png);
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
    // JSON that does not parse is passed on as its text; "jsonError" says why.
    if (type == "j:")
        return reply.json.isUndefined() ? QJsonValue(QString::fromUtf8(reply.value)) : reply.json;
    if (type == "p:") {
        const QSize size = pngSize(reply.png);
        return QJsonObject{
            {QStringLiteral("png_bytes"), reply.png.size()},
            {QStringLiteral("width"), size.isValid() ? QJsonValue(size.width()) : QJsonValue()},
            {QStringLiteral("height"), size.isValid() ? QJsonValue(size.height()) : QJsonValue()}};
    }
    return QString::fromUtf8(reply.payload);
}

// A JSON value of any kind: QJsonDocument parses only arrays and objects, so the text is
// read as the one element of an array around it.
QJsonValue parseJson(const QByteArray &text, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson('[' + text + ']', &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = parseError.errorString();
        return QJsonValue(QJsonValue::Undefined);
    }
    if (document.array().size() != 1) {
        *error = QStringLiteral("not one value");
        return QJsonValue(QJsonValue::Undefined);
    }
    return document.array().first();
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
    } else if (decoded.type == "j:") {
        decoded.json = parseJson(decoded.value, &decoded.jsonError);
    } else if (decoded.type == "p:") {
        decoded.png = QByteArray::fromHex(decoded.value);
    }
    return decoded;
}

QSize pngSize(const QByteArray &png)
{
    // The signature, then the first chunk: its length (4 bytes), "IHDR", width, height.
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (png.size() < 24 || !png.startsWith(signature) || png.mid(12, 4) != "IHDR")
        return QSize();
    const auto *header = reinterpret_cast<const uchar *>(png.constData());
    const quint32 width = qFromBigEndian<quint32>(header + 16);
    const quint32 height = qFromBigEndian<quint32>(header + 20);
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        return QSize();
    return QSize(int(width), int(height));
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
        if (!reply.jsonError.isEmpty())
            json.insert(QStringLiteral("jsonError"), reply.jsonError);
    }
    return json;
}

QByteArray hexValue(const QString &typedValue)
{
    return typedValue.toLatin1().toHex();
}

} // namespace ReplyDecoder
