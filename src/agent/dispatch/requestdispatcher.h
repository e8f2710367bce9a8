#pragma once

#include <QByteArray>
#include <QString>

class STApplicationProxy;

// Chooses the handler of one request line by its code and returns its one reply line
// (without the line feed). Keeps no state between requests: every request resolves its
// window and widget afresh from the live widget tree.
class RequestDispatcher
{
public:
    RequestDispatcher(STApplicationProxy *registry, int hookVersion);

    QByteArray dispatch(const QString &line);

private:
    STApplicationProxy *registry;
    int hookVersion;
};
