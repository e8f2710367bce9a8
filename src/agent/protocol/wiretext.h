#pragma once

#include <QByteArray>
#include <QString>

// The byte encoding of the texts that the protocol carries as they are: class names, list
// entries, integer texts and error messages on the way out, the decoded values of the
// activate, enter and mouse requests on the way in.
//
// The protocol has them in Latin-1, so characters outside it do not survive. An agent in
// the extended mode answers its requests in UTF-8 instead: the dispatcher sets the
// encoding for the time a request runs (Encoding), and everything that writes or reads
// such a text goes through here, so the two never mix.
namespace WireText {

// Sets the encoding while it lives and restores the one before; Latin-1 is the default.
class Encoding
{
public:
    explicit Encoding(bool utf8);
    ~Encoding();
    Encoding(const Encoding &) = delete;
    Encoding &operator=(const Encoding &) = delete;

private:
    bool previous;
};

bool isUtf8();

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// A value after decodehex: one character per byte. In UTF-8 mode bytes that form UTF-8
// are read as such; any other value stays as it was (Latin-1), so a client that sends
// Latin-1 bytes is understood in both modes.
QString value(const QString &decodedBytes);

} // namespace WireText
