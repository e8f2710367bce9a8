#pragma once

#include <QByteArray>

// Cuts the byte stream from the driver into request lines. Bytes go in as they arrive;
// complete lines come out one at a time, without their LF or CR LF. Knows nothing of
// sockets, so tests and fuzzers can feed it directly.
//
// A line that grows past maxLineLength without a line feed is not kept: its bytes are
// dropped as they arrive, and once its line feed comes it is handed out as overlong, to be
// answered "Command not found" like any other line that is no request. Memory therefore
// stays below maxLineLength plus one read, whatever the driver sends.
class LineFramer
{
public:
    static constexpr int maxLineLength = 1 << 20;

    enum class Result { NoLine, Line, OverlongLine };

    void append(const QByteArray &bytes);

    // The next complete line, if any. For OverlongLine, *line is left empty.
    Result takeLine(QByteArray *line);

    // Bytes held for a line not yet complete.
    int pendingBytes() const { return buffer.size(); }

private:
    QByteArray buffer;
    int scanned = 0;         // bytes of buffer already known to hold no line feed
    bool discarding = false; // the current line is overlong; drop up to its end
};
