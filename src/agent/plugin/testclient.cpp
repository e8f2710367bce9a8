#include "testclient.h"

#include "dispatch/requestdispatcher.h"
#include "protocol/replyline.h"
#include "proxies/framework/stapplicationproxy.h"
#include "squish/squishhookloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#endif

namespace {

// How long the destructor waits for unsent replies to leave the closing state. It does
// not process events, so the wait only helps when the kernel accepts the bytes at once;
// a driver that stopped reading must not hang the host's shutdown.
const int closingWaitMs = 500;

void markNotInheritable(qintptr descriptor)
{
    if (descriptor < 0)
        return;
#ifdef Q_OS_WIN
    SetHandleInformation(reinterpret_cast<HANDLE>(descriptor), HANDLE_FLAG_INHERIT, 0);
#else
    const int flags = ::fcntl(int(descriptor), F_GETFD);
    if (flags >= 0)
        ::fcntl(int(descriptor), F_SETFD, flags | FD_CLOEXEC);
#endif
}

} // namespace

TestClient::TestClient(quint16 port) : QTcpSocket(nullptr)
{
    connect(this, &QAbstractSocket::connected, this, &TestClient::socketConnected);
    connect(this, &QIODevice::readyRead, this, &TestClient::socketReadyRead);
    connect(this, QOverload<QAbstractSocket::SocketError>::of(&QAbstractSocket::error), this,
            &TestClient::socketError);

    wrapperVariant = wrapperVariantName();
    const SquishAttachment squish = attachSquish(wrapperVariant);
    hookVersion = squish.hookVersion;
    scriptProxy = squish.scriptProxy;

    connectToHost(QHostAddress(QHostAddress::LocalHost), port, QIODevice::ReadWrite);

    appProxy = new STApplicationProxy;
    dispatcher.reset(new RequestDispatcher(appProxy, hookVersion));
}

TestClient::~TestClient()
{
    flush();
    close();
    QElapsedTimer waited;
    waited.start();
    while (state() == QAbstractSocket::ClosingState && waited.elapsed() < closingWaitMs)
        QThread::msleep(1);
    if (serving) {
        // The host destroyed the agent from inside an event that a running request
        // triggered. The dispatcher and the proxy registry are still on the call stack:
        // leave them alive so that request can return safely.
        (void)dispatcher.release();
        return;
    }
    delete appProxy;
}

QByteArray TestClient::greeting() const
{
    return "+client+ 2.1.0 " + QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(hookVersion) + ' ' + wrapperVariant.toLatin1();
}

void TestClient::socketConnected()
{
    markNotInheritable(socketDescriptor());
    write(greeting() + '\n');
    flush();
}

void TestClient::socketError(QAbstractSocket::SocketError)
{
    close();
}

void TestClient::socketReadyRead()
{
    // Requests are answered strictly one at a time. Events are processed while a request
    // runs (with socket notifiers excluded), so a nested notification is possible in
    // principle; the running loop picks up any further lines itself.
    if (serving)
        return;
    serving = true;
    const QPointer<TestClient> self(this);

    while (self && state() == QAbstractSocket::ConnectedState) {
        framer.append(readAll());
        QByteArray line;
        const LineFramer::Result taken = framer.takeLine(&line);
        if (taken == LineFramer::Result::NoLine)
            break;
        const QByteArray reply = taken == LineFramer::Result::OverlongLine
                                     ? Reply::commandNotFound()
                                     : dispatcher->dispatch(QString::fromUtf8(line));
        if (!self)
            return;
        write(reply + '\n');
        flush();
    }
    if (self)
        serving = false;
}
