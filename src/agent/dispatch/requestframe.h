#pragma once

#include <QByteArray>

// One request on its way through the agent, from its line being read to its reply.
//
// Requests nest. When code that a request runs enters an event loop of the application's
// own and waits in it (a modal dialog's exec(), a message box, a menu's exec()), the
// request loop sends that request's reply at once and serves the following requests
// inside the application's loop, so the driver can close the dialog. Frames live on the
// call stack of the request loop; each agent keeps its innermost one, the request running
// now, and each frame the one it interrupted.
class RequestFrame
{
public:
    // innermost: the agent's innermost frame, which this one is while it lives.
    explicit RequestFrame(RequestFrame *&innermost);
    ~RequestFrame();
    RequestFrame(const RequestFrame &) = delete;
    RequestFrame &operator=(const RequestFrame &) = delete;

    // A handler states the reply it will give on success as soon as it knows it, before
    // it runs anything that may process events.
    void promise(const QByteArray &reply) { promised = reply; }
    bool hasPromise() const { return !promised.isNull(); }

    // The reply to send when the request has to be answered before it ended: the
    // promised one, or an error when the handler could not know its reply in advance.
    QByteArray earlyReply() const;

    bool answered = false; // the request's one reply line has been written

private:
    RequestFrame *&innermost;
    RequestFrame *outer;
    QByteArray promised;
};
