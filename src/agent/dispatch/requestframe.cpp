#include "requestframe.h"

#include "protocol/replyline.h"

namespace {

// The answer of a request that cannot know its reply before it has finished (a property
// read) when the application starts waiting in a dialog or menu while it runs.
const char resultUnknownWhileWaiting[] =
    "Error: the application waits in a dialog or menu, the result is not known yet";

} // namespace

RequestFrame::RequestFrame(RequestFrame *&innermost) : innermost(innermost), outer(innermost)
{
    innermost = this;
}

RequestFrame::~RequestFrame()
{
    // Frames end in the reverse order of their start: each lives in one call of the
    // request loop, and inner calls return first.
    innermost = outer;
}

QByteArray RequestFrame::earlyReply() const
{
    // The message is ASCII, the same bytes in either mode.
    return hasPromise()
               ? promised
               : Reply::exception(QLatin1String(resultUnknownWhileWaiting), WireText::Mode::Plain);
}
