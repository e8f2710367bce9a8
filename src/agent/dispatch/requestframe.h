#pragma once

#include <QByteArray>

// One request on its way through the agent, from its line being read to its reply.
//
// Requests nest. When code that a request runs enters an event loop of the application's
// own and waits in it (a modal dialog's exec(), a message box, a menu's exec()), the
// request loop sends that request's reply at once and serves the following requests
// inside the application's loop, so the driver can close the dialog. Frames live on the
// call stack of the request loop; the innermost one is the request running now.
class RequestFrame
{
public:
    // owner: the agent object whose request loop serves this request.
    explicit RequestFrame(const void *owner);
    ~RequestFrame();
    RequestFrame(const RequestFrame &) = delete;
    RequestFrame &operator=(const RequestFrame &) = delete;

    // The innermost running request of owner, or null when none of its requests runs.
    static RequestFrame *innermost(const void *owner);

    // A handler states the reply it will give on success as soon as it knows it, before
    // it runs anything that may process events. Without a running request, nothing.
    static void promise(const QByteArray &reply);
    bool hasPromise() const { return !promised.isNull(); }

    // The reply to send when the request has to be answered before it ended: the
    // promised one, or an error when the handler could not know its reply in advance.
    QByteArray earlyReply() const;

    bool answered = false; // the request's one reply line has been written

private:
    const void *owner;
    RequestFrame *outer;
    QByteArray promised;

    static RequestFrame *top;
};
