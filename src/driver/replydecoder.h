#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSize>
#include <QList>
#include <QString>

// Makes a reply line readable: as text for a person (hex payloads as text, list entries one
// per line, rectangles and records spelled out, errors with their code), or as one JSON
// object for a script. Both forms are written from one decoding of the line, so they cannot
// disagree on where its fields are.
namespace ReplyDecoder {

// A reply line taken apart: its status, its typed value and the fields within it.
struct DecodedReply
{
    enum class Form {
        Missing,   // no reply came
        Malformed, // no "<status>," in front
        Record,    // the "?" record of the widget under the cursor
        Error,     // any other status but '0'
        Value,     // status '0' and a typed value
    };

    QByteArray line;
    Form form = Form::Missing;
    char status = 0;
    QByteArray payload;      // after "<status>,"
    QByteArray type;         // a value's type letter and colon, e.g. "b:"
    QByteArray value;        // a value's text after its type
    QList<QByteArray> parts; // record fields (all eight or none), list entries, corners
    QString text;            // the decoded hex of a "u:" or "x:" value
    QJsonValue json;         // a "j:" value parsed; undefined when it is no JSON
    QString jsonError;       // why a "j:" value is no JSON
    QByteArray png;          // the bytes of a "p:" value
};

DecodedReply decode(const QByteArray &reply);

// The width and height a PNG's header states; invalid when the bytes do not start as a
// PNG does (signature, then the IHDR chunk).
QSize pngSize(const QByteArray &png);

QString describe(const DecodedReply &reply);

// The reply as one JSON object: "reply" (raw), "status", and "value" decoded by its type
// letter (bool, number, text, [left, top, right, bottom], list of texts; an XPM image as
// its text; a JSON value as itself; a PNG as {"png_bytes", "width", "height"}) or "message"
// for errors; the "?" record as "record" with named fields.
QJsonObject toJson(const DecodedReply &reply);

// Hex helpers the driver needs to build requests: values of the activate, enter and
// mouse requests travel byte-wise hex encoded (Latin-1).
QByteArray hexValue(const QString &typedValue);

} // namespace ReplyDecoder
