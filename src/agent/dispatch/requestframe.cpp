#include "requestframe.h"

#include "protocol/replyline.h"

namespace {

// The answer of a request that cannot know its reply before it has finished (a property
// read) when the application starts waiting in a dialog or menu while it runs.
const char resultUnknownWhileWaiting[] =
    "Error: the application waits in a dialog or menu, the result is not known yet";

} // namespace

RequestFrame *RequestFrame::top = nullptr;

RequestFrame::RequestFrame(const void *owner) : owner(owner), outer(top)
{
    top = this;
}

RequestFrame::~RequestFrame()
{
    // Frames end in the reverse order of their start: each lives in one call of the
    // request loop, and inner calls return first.
    top = outer;
}

RequestFrame *RequestFrame::innermost(const void *owner)
{
    for (RequestFrame *frame = top; frame; frame = frame->outer) {
        if (frame->owner == owner)
            return frame;
    }
    return nullptr;
}

void RequestFrame::promise(const QByteArray &reply)
{
    if (top)
        top->promised = reply;
}

QByteArray RequestFrame::earlyReply() const
{
    return hasPromise() ? promised : Reply::exception(QLatin1String(resultUnknownWhileWaiting));
}
