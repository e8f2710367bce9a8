#pragma once

#include <QByteArray>
#include <QString>

// The byte encoding of the texts that the protocol carries as they are: class names, list
// entries, integer texts and error messages on the way out, the decoded values of the
// activate, enter and mouse requests on the way in.
//
// The plain mode has them in Latin-1, so characters outside it do not survive. An agent in
// the extended mode answers in UTF-8 instead. The mode is the agent's, fixed when it is
// made: the dispatcher and the proxy registry are handed it, and everything that writes or
// reads such a text is given it here, so the two never mix.
namespace WireText {

enum class Mode { Plain, Extended };

QByteArray encode(const QString &text, Mode mode);

// A value after decodehex: one character per byte. In the extended mode bytes that form
// UTF-8 are read as such; any other value stays as it was (Latin-1), so a client that sends
// Latin-1 bytes is understood in both modes.
QString value(const QString &decodedBytes, Mode mode);

// An error message as a reply carries it: encoded, and cut to its first 2046 bytes, never
// inside a character's UTF-8 sequence; the plain mode's end at a NUL.
QByteArray message(const QString &text, Mode mode);

// A reply of the extended mode is one line whatever its texts hold: a line feed, a
// carriage return and a NUL are written as the two characters \n, \r and \0, so none
// ends the line early, starts a line of its own or cuts a message short. Every other
// byte stays as it is, backslashes too; item texts, which must read back exactly, write
// their backslashes as \\ themselves. Returns the bytes unchanged (no copy) when they
// hold none of the three.
QByteArray singleLine(const QByteArray &bytes);

} // namespace WireText
