#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class SessionRecorder;
class STApplicationProxy;

// Chooses the handler of one request line by its code and returns its one reply line
// (without the line feed). Keeps no state between requests but the recorder's: every
// request resolves its window and widget afresh from the live widget tree.
//
// In the extended mode it also answers the extended requests (requestcode.h) and resolves
// selectors in window fields and paths; without it those are what the protocol makes of
// them: unknown codes and unknown names.
class RequestDispatcher
{
public:
    RequestDispatcher(STApplicationProxy *registry, int hookVersion, bool extended = false);
    ~RequestDispatcher();
    RequestDispatcher(const RequestDispatcher &) = delete;
    RequestDispatcher &operator=(const RequestDispatcher &) = delete;

    QByteArray dispatch(const QString &line);

private:
    QByteArray serve(const QString &line);

    STApplicationProxy *registry;
    int hookVersion;
    bool extended;
    // Made by the first start of a recording (extended mode only), kept for its steps.
    std::unique_ptr<SessionRecorder> recorder;
};
