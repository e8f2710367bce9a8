#include "lineframer.h"

void LineFramer::append(const QByteArray &bytes)
{
    buffer.append(bytes);
}

LineFramer::Result LineFramer::takeLine(QByteArray *line)
{
    const int end = buffer.indexOf('\n', scanned);
    if (end < 0) {
        if (buffer.size() > maxLineLength) {
            buffer.clear();
            discarding = true;
        }
        scanned = buffer.size();
        return Result::NoLine;
    }

    const bool overlong = discarding || end > maxLineLength;
    discarding = false;
    if (overlong) {
        line->clear();
    } else {
        *line = buffer.left(end);
        if (line->endsWith('\r'))
            line->chop(1);
    }
    buffer.remove(0, end + 1);
    scanned = 0;
    return overlong ? Result::OverlongLine : Result::Line;
}
