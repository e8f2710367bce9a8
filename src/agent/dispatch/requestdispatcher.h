#pragma once

#include "requesthandlers.h"

#include <QByteArray>
#include <QString>

class RequestFrame;
class STApplicationProxy;

// Chooses the handler of one request line by its code and returns its one reply line
// (without the line feed). Keeps no state between requests but the recorder's: every
// request resolves its window and widget afresh from the live widget tree.
//
// The mode is the registry's. In the extended mode it also answers the extended requests
// (requestcode.h) and resolves selectors in window fields and paths; without it those are
// what the protocol makes of them: unknown codes and unknown names.
class RequestDispatcher
{
public:
    RequestDispatcher(STApplicationProxy *registry, int hookVersion);
    ~RequestDispatcher();
    RequestDispatcher(const RequestDispatcher &) = delete;
    RequestDispatcher &operator=(const RequestDispatcher &) = delete;

    // frame: the request's frame in the agent's request loop, for a handler's promise.
    QByteArray dispatch(const QString &line, RequestFrame *frame = nullptr);

private:
    RequestContext context;
};
