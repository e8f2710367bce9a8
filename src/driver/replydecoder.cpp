#include "replydecoder.h"

#include <QJsonArray>
#include <QList>
#include <QStringList>

namespace ReplyDecoder {

namespace {

QString errorName(char code)
{
    switch (code) {
    case '2':
        return QStringLiteral("not found");
    case '3':
        return QStringLiteral("several windows");
    case '4':
        return QStringLiteral("not the active popup or modal window");
    case '5':
        return QStringLiteral("widget not found");
    case '6':
        return QStringLiteral("not visible");
    case '7':
        return QStringLiteral("several widgets");
    case '8':
        return QStringLiteral("command error");
    default:
        return QStringLiteral("unknown status");
    }
}

// The agent's encodehex: each UTF-16 unit padded to two digits only, so it cannot be
// split back unambiguously in general; titles in Latin-1 decode exactly.
QString decodeTitle(const QByteArray &hex)
{
    return QString::fromLatin1(QByteArray::fromHex(hex));
}

} // namespace

QString describe(const QByteArray &reply)
{
    if (reply.isNull())
        return QStringLiteral("(no reply)");
    const int comma = reply.indexOf(',');
    if (comma != 1)
        return QStringLiteral("(malformed) ") + QString::fromUtf8(reply);
    const char status = reply.at(0);
    const QByteArray payload = reply.mid(2);

    if (status == '?') {
        const QList<QByteArray> f = payload.split(',');
        if (f.size() < 8)
            return QStringLiteral("nothing under the cursor");
        return QStringLiteral("class %1, %2 listed, %3 visible\npath   %4\nwindow %5 \"%6\"\n"
                              "pid %7, hook version %8")
            .arg(QString::fromLatin1(f[0]), QString::fromLatin1(f[1]), QString::fromLatin1(f[2]),
                 QString::fromUtf8(f[3]), QString::fromUtf8(f[4]), decodeTitle(f[5]),
                 QString::fromLatin1(f[6]), QString::fromLatin1(f[7]));
    }
    if (status != '0')
        return QStringLiteral("error %1 (%2): %3")
            .arg(QString(QLatin1Char(status)), errorName(status), QString::fromUtf8(payload));

    if (payload.startsWith("l:")) {
        QStringList lines;
        const QList<QByteArray> entries = payload.mid(2).split('\x0c');
        for (int i = 1; i < entries.size(); ++i)
            lines << QStringLiteral("  ") + QString::fromUtf8(entries.at(i));
        return QStringLiteral("list of %1\n").arg(entries.size() - 1) + lines.join('\n');
    }
    if (payload.startsWith("u:"))
        return QStringLiteral("text \"%1\"")
            .arg(QString::fromUtf8(QByteArray::fromHex(payload.mid(2))));
    if (payload.startsWith("x:"))
        return QStringLiteral("XPM image, %1 bytes").arg(payload.size() / 2 - 1);
    if (payload.startsWith("r:")) {
        const QList<QByteArray> c = payload.mid(2).split(',');
        if (c.size() == 4)
            return QStringLiteral("rectangle left %1 top %2 right %3 bottom %4")
                .arg(QString::fromLatin1(c[0]), QString::fromLatin1(c[1]),
                     QString::fromLatin1(c[2]), QString::fromLatin1(c[3]));
    }
    if (payload.startsWith("b:") || payload.startsWith("i:"))
        return QStringLiteral("value %1").arg(QString::fromLatin1(payload.mid(2)));
    return QStringLiteral("ok \"%1\"").arg(QString::fromUtf8(payload));
}

QJsonObject toJson(const QByteArray &reply)
{
    QJsonObject json{{QStringLiteral("reply"), QString::fromUtf8(reply)}};
    if (reply.size() < 2 || reply.at(1) != ',') {
        json.insert(QStringLiteral("status"), QJsonValue::Null);
        return json;
    }
    const QString status(QLatin1Char(reply.at(0)));
    const QByteArray payload = reply.mid(2);
    json.insert(QStringLiteral("status"), status);
    if (status == QLatin1String("?")) {
        const QList<QByteArray> f = payload.split(',');
        if (f.size() >= 8) {
            json.insert(QStringLiteral("record"),
                        QJsonObject{{QStringLiteral("className"), QString::fromLatin1(f[0])},
                                    {QStringLiteral("listed"), f[1].toInt()},
                                    {QStringLiteral("visible"), f[2].toInt()},
                                    {QStringLiteral("path"), QString::fromUtf8(f[3])},
                                    {QStringLiteral("windowObjectName"), QString::fromUtf8(f[4])},
                                    {QStringLiteral("windowTitle"), decodeTitle(f[5])},
                                    {QStringLiteral("pid"), f[6].toLongLong()},
                                    {QStringLiteral("hookVersion"), f[7].toInt()}});
        }
        return json;
    }
    if (status != QLatin1String("0")) {
        json.insert(QStringLiteral("message"), QString::fromUtf8(payload));
        return json;
    }
    const QByteArray kind = payload.left(2), rest = payload.mid(2);
    QJsonValue value = QString::fromUtf8(payload);
    if (kind == "b:") {
        value = rest == "true";
    } else if (kind == "i:") {
        value = rest.toLongLong();
    } else if (kind == "u:" || kind == "x:") {
        value = QString::fromUtf8(QByteArray::fromHex(rest));
    } else if (kind == "r:") {
        QJsonArray corners;
        for (const QByteArray &c : rest.split(','))
            corners.append(c.toInt());
        value = corners;
    } else if (kind == "l:") {
        QJsonArray entries;
        const QList<QByteArray> parts = rest.split('\x0c');
        for (int i = 1; i < parts.size(); ++i)
            entries.append(QString::fromUtf8(parts.at(i)));
        value = entries;
    }
    json.insert(QStringLiteral("value"), value);
    return json;
}

QByteArray hexValue(const QString &typedValue)
{
    return typedValue.toLatin1().toHex();
}

} // namespace ReplyDecoder
