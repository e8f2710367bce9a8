#include "replyline.h"

#include "wiretext.h"

#include <QBuffer>
#include <QIcon>
#include <QJsonDocument>
#include <QPixmap>
#include <QRect>
#include <QVariant>

#include <cstring>

namespace Reply {

namespace {

const char formFeed = '\x0c';

QByteArray quoted(const char *status, const char *what, const QString &name, const char *tail)
{
    return replyLine(status, QByteArray(what) + " (" + name.toUtf8() + ") " + tail);
}

QByteArray xpmPixmap(const QPixmap &pixmap)
{
    QByteArray xpm;
    QBuffer buffer(&xpm);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "XPM");
    return replyLine("0", "x:" + xpm.toHex());
}

// "0,u:" and the hex of `utf8`, made in the line's own bytes: every text property read
// answers this way.
QByteArray hexValue(const QByteArray &utf8)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray line(4 + 2 * utf8.size(), Qt::Uninitialized);
    std::memcpy(line.data(), "0,u:", 4);
    char *out = line.data() + 4;
    for (const char c : utf8) {
        *out++ = digits[uchar(c) >> 4];
        *out++ = digits[uchar(c) & 15];
    }
    return line;
}

} // namespace

QByteArray replyLine(const char *status, const QByteArray &payload)
{
    const int statusSize = int(qstrlen(status));
    QByteArray line;
    line.reserve(statusSize + 1 + payload.size());
    return line.append(status, statusSize).append(',').append(payload);
}

QByteArray text(const QString &text)
{
    return replyLine("0", text.toUtf8());
}

QByteArray className(const QString &name, WireText::Mode mode)
{
    return replyLine("0", WireText::encode(name, mode));
}

QByteArray list(const QStringList &entries)
{
    QByteArray payload("l:");
    for (const QString &entry : entries)
        payload += formFeed + entry.toUtf8();
    return replyLine("0", payload);
}

QByteArray textList(const QStringList &entries, WireText::Mode mode)
{
    QByteArray payload("l:");
    for (const QString &entry : entries)
        payload += formFeed + WireText::encode(entry, mode);
    return replyLine("0", payload);
}

QByteArray rect(const QRect &rect)
{
    return replyLine(
        "0", "r:" + QByteArray::number(rect.left()) + ',' + QByteArray::number(rect.top()) + ',' +
                 QByteArray::number(rect.right()) + ',' + QByteArray::number(rect.bottom()));
}

QByteArray json(const QJsonDocument &document)
{
    return replyLine("0", "j:" + document.toJson(QJsonDocument::Compact));
}

QByteArray png(const QByteArray &image)
{
    return replyLine("0", "p:" + image.toHex());
}

QByteArray commandNotFound()
{
    return replyLine("8", "Command not found");
}

QByteArray exception(const QString &message, WireText::Mode mode)
{
    return replyLine("8", "Exception : " + WireText::message(message, mode));
}

QByteArray unknownException()
{
    return replyLine("8", "Exception : Unknown exception");
}

QByteArray moveResizeTypeError()
{
    return replyLine("8", "Type error: move or resize accepts integer");
}

QByteArray lookupError(LookupErrorKind kind, const QString &window, const QString &path, int count)
{
    switch (kind) {
    case NoError:
        break;
    case WindowNotFoundError:
        return quoted("2", "Window", window, "not found");
    case WindowAmbiguousError:
        return quoted("3", "Window", window, "visible,") + QByteArray::number(count);
    case WindowNotActivePopupError:
        return quoted("4", "Window", window, "not active popup");
    case WindowNotActiveModalError:
        return quoted("4", "Window", window, "not active modal");
    case WidgetNotFoundError:
        return quoted("5", "Widget", path, "not found");
    case WidgetNotVisibleError:
        return quoted("6", "Widget", path, "not visible");
    case WidgetAmbiguousError:
        return quoted("7", "Widget", path, "visible,") + QByteArray::number(count);
    }
    return QByteArray();
}

QByteArray objectNotFound(const QString &name)
{
    return quoted("2", "Object", name, "not found");
}

QByteArray objectNotVisible(const QString &name)
{
    return quoted("6", "Object", name, "not visible");
}

QByteArray objectAmbiguous(const QString &name, int count)
{
    return quoted("7", "Object", name, "visible,") + QByteArray::number(count);
}

QByteArray propertyValue(const QVariant &value, WireText::Mode mode)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return replyLine("0", value.toBool() ? "b:true" : "b:false");
    case QMetaType::Int:
    case QMetaType::UInt:
        return replyLine("0", "i:" + WireText::encode(value.toString(), mode));
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QFont:
    case QMetaType::QColor:
        return hexValue(value.toString().toUtf8());
    case QMetaType::QStringList:
        return textList(value.toStringList(), mode);
    case QMetaType::QRect:
        return rect(value.toRect());
    case QMetaType::QPixmap:
        return xpmPixmap(value.value<QPixmap>());
    case QMetaType::QIcon:
        return xpmPixmap(value.value<QIcon>().pixmap(64, 64, QIcon::Normal, QIcon::Off));
    case QMetaType::UnknownType:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
    case QMetaType::QByteArray:
    case QMetaType::QBitArray:
    case QMetaType::QBrush:
    case QMetaType::QPalette:
    case QMetaType::QImage:
    case QMetaType::QRegion:
    case QMetaType::QBitmap:
    case QMetaType::QCursor:
    case QMetaType::QKeySequence:
    case QMetaType::QSizePolicy:
        return replyLine("8", "Property type not supported");
    default:
        return replyLine("8", "Unknown property type");
    }
}

} // namespace Reply
