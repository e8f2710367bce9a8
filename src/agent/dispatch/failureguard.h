#pragma once

#include "protocol/replyline.h"
#include "proxies/framework/sterror.h"

#include <QByteArray>

// Runs proxy work and turns its failures into the reply: an STError gives
// "8,Exception : " and its message, anything else "8,Exception : Unknown exception".
// Nothing is undone; the request loop goes on with the next line.
template <typename Work> QByteArray failureGuard(WireText::Mode mode, Work &&work)
{
    try {
        return work();
    } catch (const STError &error) {
        return Reply::exception(error.message, mode);
    } catch (...) {
        return Reply::unknownException();
    }
}
