#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The line protocol between the agent and the test driver.
//
// The agent connects to the driver and sends one greeting line:
//     "+client+ 2.1.0 <pid> <hookVersion> <wrapperVariant>"
// then answers every request line with exactly one reply line, in order (the driver
// sends the next request only after the reply; replies carry no identifier).
//
// Request line: a code and comma-separated fields, ended by LF or CR LF. Field i is
// line.section(',', i, i): empty fields count, absent ones read as empty, there is no
// quoting, so a field never holds a comma. "1" and "3" are codes only as the whole line;
// every other code must equal field 0 exactly.
//
// Reply line: status "," payload LF.
//     0,<text>          success with a title or class name
//     0,b:true|false    boolean                0,i:<decimal>   integer
//     0,u:<hex>         UTF-8 bytes of a text, two lowercase hex digits per byte
//     0,r:x1,y1,x2,y2   rectangle (right = left + width - 1)
//     0,x:<hex>         an XPM image, byte-wise hex
//     0,l:<FF>a<FF>b    list, each entry opened by a form feed
//     ?,...             the widget-under-cursor record; "?,,,,,," when there is none
//     2..8,<message>    errors (see replyline.h)
//
// Typed values in requests: "s:text" string, exactly "b:true"/"b:false" boolean,
// "i:digits" int (bad digits leave it empty), anything else empty. Values 1 and 2 of
// the activate, enter and mouse requests are hex-encoded first (see decodehex).
//
// Bytes: plain text fields travel as UTF-8; class names, list entries, integer texts
// and error messages are written as the agent's mode has them (wiretext.h).
namespace WireProtocol {

QString requestField(const QString &line, int index);

// "s:", "b:true", "b:false" and "i:" values; anything else is an invalid QVariant.
QVariant typedValue(const QString &text);

// Each UTF-16 code unit as lowercase hex, padded to at least two digits (so units above
// 0xFF take three or four).
QString encodehex(const QString &text);

// The value of one hex digit (either case), or -1 for any other character.
int hexDigit(QChar c);

// Pairs of hex digits to characters 0..255 (Latin-1); a lone last digit is read alone
// and a pair that is not hex gives the character 0.
QString decodehex(const QString &text);

// A request line of the extended mode with its six fields, "code,window,address,,v1,v2":
// the property field empty and up to two typed values ("s:text", "b:true", "i:3"), each
// as the hex of its UTF-8 bytes, which decodehex and WireText::value read back.
QString extendedRequestLine(int code, const QString &window, const QString &address,
                            const QStringList &values);

} // namespace WireProtocol
