#pragma once

#include "lookuperror.h"
#include "wiretext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QJsonDocument;
class QRect;
class QVariant;

// Reply lines without their line feed; the request loop adds it when writing.
// Status 0 is success, 2 to 8 are the numbered errors:
//   2 window (or tray icon) not found      3 several windows match
//   4 not the active popup / modal window  5 widget not found
//   6 not visible                          7 several visible widgets match
//   8 unknown command, type errors and proxy failures
namespace Reply {

QByteArray replyLine(const char *status, const QByteArray &payload);

// Texts that the protocol carries as they are go out as the mode has them (wiretext.h):
// Latin-1 in the plain mode, UTF-8 in the extended one.
QByteArray text(const QString &text);                           // "0," + text (UTF-8)
QByteArray className(const QString &name, WireText::Mode mode); // "0," + name
QByteArray list(const QStringList &entries); // "0,l:" + FF-opened entries (UTF-8)
QByteArray textList(const QStringList &entries, WireText::Mode mode); // the same, by the mode
QByteArray rect(const QRect &rect);                                   // "0,r:left,top,right,bottom"
// The extended mode's values: "0,j:" + compact JSON (UTF-8, no line feed in it), and
// "0,p:" + a PNG image as lowercase hex, as "x:" carries XPM.
QByteArray json(const QJsonDocument &document);
// The same reply's opening, for a JsonWriter (jsonwriter.h) to continue: "0,j:".
const char jsonHead[] = "0,j:";
QByteArray png(const QByteArray &image);

QByteArray commandNotFound();
// "8,Exception : " + message, cut as WireText::message cuts it.
QByteArray exception(const QString &message, WireText::Mode mode);
QByteArray unknownException();
QByteArray moveResizeTypeError();

// The reply of a failed window or widget lookup: the window name or path echoed as the
// request carried it, and the count for the ambiguous kinds.
QByteArray lookupError(LookupErrorKind kind, const QString &window, const QString &path, int count);

// The tray icon lookup's own not-found, not-visible and ambiguous replies.
QByteArray objectNotFound(const QString &name);
QByteArray objectNotVisible(const QString &name);
QByteArray objectAmbiguous(const QString &name, int count);

// A property value typed by its QVariant type: b, i, u, r, x or l, or one of the
// "not supported" / "unknown type" errors.
QByteArray propertyValue(const QVariant &value, WireText::Mode mode);

} // namespace Reply
