#pragma once

#include <QByteArray>
#include <QString>

class STApplicationProxy;

// Chooses the handler of one request line by its code and returns its one reply line
// (without the line feed). Keeps no state between requests: every request resolves its
// window and widget afresh from the live widget tree.
//
// In the extended mode it also answers the extended requests (requestcode.h) and resolves
// selectors in window fields and paths; without it those are what the protocol makes of
// them: unknown codes and unknown names.
class RequestDispatcher
{
public:
    RequestDispatcher(STApplicationProxy *registry, int hookVersion, bool extended = false);

    QByteArray dispatch(const QString &line);

private:
    STApplicationProxy *registry;
    int hookVersion;
    bool extended;
};
