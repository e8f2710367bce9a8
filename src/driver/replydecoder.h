#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Makes a reply line readable for a person: hex payloads as text, list entries one per
// line, rectangles and records spelled out, errors with their code.
namespace ReplyDecoder {

QString describe(const QByteArray &reply);

// The reply as one JSON object: "reply" (raw), "status", and "value" decoded by its type
// letter (bool, number, text, [left, top, right, bottom], list of texts; an XPM image as
// its text) or "message" for errors; the "?" record as "record" with named fields.
QJsonObject toJson(const QByteArray &reply);

// Hex helpers the driver needs to build requests: values of the activate, enter and
// mouse requests travel byte-wise hex encoded (Latin-1).
QByteArray hexValue(const QString &typedValue);

} // namespace ReplyDecoder
