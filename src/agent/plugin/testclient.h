#pragma once

#include "protocol/lineframer.h"

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <memory>

class RequestDispatcher;
class STApplicationProxy;
namespace OxSquishProxy {
class CVornProxy;
}

// The agent: a socket to the test driver on the loopback host, port 4242. It greets the
// driver once connected and then answers every request line with one reply line. It lives
// on the host's GUI thread and never reconnects: after any socket error it stays closed.
class TestClient : public QTcpSocket
{
    Q_OBJECT

public:
    static constexpr quint16 driverPort = 4242;
    TestClient();
    ~TestClient() override;

    QByteArray greeting() const;

    int hookVersion = -1;
    QString wrapperVariant;
    OxSquishProxy::CVornProxy *scriptProxy = nullptr;

private Q_SLOTS:
    void socketConnected();
    void socketReadyRead();
    void socketError(QAbstractSocket::SocketError error);

private:
    bool serveOneLine();
    void applicationLoopWaits();

    STApplicationProxy *appProxy = nullptr;
    std::unique_ptr<RequestDispatcher> dispatcher;
    LineFramer framer;
};
