#pragma once

#include <QByteArray>
#include <QString>

// The byte encoding of the texts that the protocol carries as they are: class names, list
// entries, integer texts and error messages on the way out, the decoded values of the
// activate, enter and mouse requests on the way in.
//
// The protocol has them in Latin-1, so characters outside it do not survive. An agent in
// the extended mode answers its requests in UTF-8 instead: the dispatcher marks the time a
// request of the extended mode runs (RequestMode), and everything that writes or reads
// such a text goes through here, so the two never mix. The mark is the one place that
// tells a proxy which mode its request came in (item views write item paths with escapes
// in the extended mode).
namespace WireText {

// Marks the requests that run while it lives as extended ones (or not), and restores the
// mark before; plain (Latin-1) is the default.
class RequestMode
{
public:
    explicit RequestMode(bool extended);
    ~RequestMode();
    RequestMode(const RequestMode &) = delete;
    RequestMode &operator=(const RequestMode &) = delete;

private:
    bool previous;
};

// Whether the running request is one of the extended mode; its texts are UTF-8 then.
bool isExtended();

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// A value after decodehex: one character per byte. In UTF-8 mode bytes that form UTF-8
// are read as such; any other value stays as it was (Latin-1), so a client that sends
// Latin-1 bytes is understood in both modes.
QString value(const QString &decodedBytes);

// A reply of the extended mode is one line whatever its texts hold: a line feed, a
// carriage return and a NUL are written as the two characters \n, \r and \0, so none
// ends the line early, starts a line of its own or cuts a message short. Every other
// byte stays as it is, backslashes too; item texts, which must read back exactly, write
// their backslashes as \\ themselves. Returns the bytes unchanged (no copy) when they
// hold none of the three.
QByteArray singleLine(const QByteArray &bytes);

} // namespace WireText
