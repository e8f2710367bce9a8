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

// The agent: a socket to the test driver on the loopback host, port 4242 unless told
// otherwise (parallel runs give each application its own driver). It greets the driver
// once connected and then answers every request line with one reply line. It lives
// on the host's GUI thread and never reconnects: after any socket error it stays closed.
class TestClient : public QTcpSocket
{
    Q_OBJECT

public:
    static constexpr quint16 driverPort = 4242;
    explicit TestClient(quint16 port = driverPort);
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
    STApplicationProxy *appProxy = nullptr;
    std::unique_ptr<RequestDispatcher> dispatcher;
    bool serving = false; // a request is being answered (events are processed meanwhile)
    LineFramer framer;
};
