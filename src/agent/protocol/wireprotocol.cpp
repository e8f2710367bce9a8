#include "wireprotocol.h"

namespace WireProtocol {

// What QString::section() gives with Qt 5 (a field beyond the last is null, an empty one is
// empty but not null), without splitting the whole line into a list for one field: every
// request reads several of its fields.
QString requestField(const QString &line, int index)
{
    if (line.isNull() || index < 0)
        return line.section(QLatin1Char(','), index, index);
    int start = 0;
    for (int i = 0; i < index; ++i) {
        start = line.indexOf(QLatin1Char(','), start);
        if (start < 0)
            return QString();
        ++start;
    }
    int end = line.indexOf(QLatin1Char(','), start);
    if (end < 0)
        end = line.size();
    return end > start ? line.mid(start, end - start) : QString(QLatin1String(""));
}

QVariant typedValue(const QString &text)
{
    if (text.startsWith(QLatin1String("s:")))
        return QVariant(text.mid(2));
    if (text == QLatin1String("b:true"))
        return QVariant(true);
    if (text == QLatin1String("b:false"))
        return QVariant(false);
    if (text.startsWith(QLatin1String("i:"))) {
        bool ok = false;
        const int value = QStringView(text).mid(2).toInt(&ok, 10);
        return ok ? QVariant(value) : QVariant();
    }
    return QVariant();
}

QString encodehex(const QString &text)
{
    QString result;
    result.reserve(text.size() * 2);
    for (const QChar c : text)
        result += QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0'));
    return result;
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString decodehex(const QString &text)
{
    QString result;
    result.reserve(text.size() / 2 + 1);
    for (int i = 0; i < text.size(); i += 2) {
        // Strict digits only: signs, blanks or a "0x" are not hex here.
        const int high = hexDigit(text.at(i));
        const int low = i + 1 < text.size() ? hexDigit(text.at(i + 1)) : 0;
        const bool single = i + 1 >= text.size();
        if (high < 0 || low < 0)
            result += QChar(0);
        else
            result += QChar(single ? high : high * 16 + low);
    }
    return result;
}

QString extendedRequestLine(int code, const QString &window, const QString &address,
                            const QStringList &values)
{
    const auto hex = [&values](int index) {
        return index < values.size() ? QString::fromLatin1(values.at(index).toUtf8().toHex())
                                     : QString();
    };
    return QString::number(code) + QLatin1Char(',') + window + QLatin1Char(',') + address +
           QStringLiteral(",,") + hex(0) + QLatin1Char(',') + hex(1);
}

} // namespace WireProtocol
