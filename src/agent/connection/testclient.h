#pragma once

#include "protocol/lineframer.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <memory>

class ObjectNameIndex;
class RequestDispatcher;
class RequestFrame;
class STApplicationProxy;

// The agent: a socket to the test driver on the loopback host, port 4242 unless told
// otherwise (parallel runs give each application its own driver). It greets the driver
// once connected and then answers every request line with one reply line. It lives
// on the host's GUI thread and never reconnects: after any socket error it stays closed.
class TestClient : public QTcpSocket
{
    Q_OBJECT

public:
    static constexpr quint16 driverPort = 4242;
    // extended: the extended mode (selectors, UTF-8 texts, the listing and screenshot
    // requests) beside the protocol's own requests. TESTCLIENT_EXTENDED=1 in the
    // environment turns it on as well; either is read once, here.
    explicit TestClient(quint16 port = driverPort, bool extended = false);
    ~TestClient() override;

    QByteArray greeting() const;

    // Ends the agent for the host (ZuDestroy). From inside one of its own requests, when
    // the host destroys the agent in an event that the request caused, the object cannot
    // go at once: the socket notification that started the request is still on the call
    // stack. The connection then closes at once, after the running request's reply when
    // it is known, and the object deletes itself once its requests have returned.
    void dispose();

private Q_SLOTS:
    void socketConnected();
    void socketReadyRead();
    void socketError(QAbstractSocket::SocketError error);

private:
    bool serveOneLine();
    void answer(RequestFrame *frame, QByteArray reply);
    void applicationLoopWaits();

    int hookVersion = -1;
    bool extended = false;
    QString wrapperVariant;
    STApplicationProxy *appProxy = nullptr;
    std::unique_ptr<RequestDispatcher> dispatcher;
    RequestFrame *innermostFrame = nullptr;     // the request running now, if any
    std::unique_ptr<ObjectNameIndex> nameIndex; // null when turned off or another agent has one
    LineFramer framer;
    bool disposed = false;
};
