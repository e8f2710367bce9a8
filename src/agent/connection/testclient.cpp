#include "testclient.h"

#include "addressing/objectnameindex.h"
#include "dispatch/requestdispatcher.h"
#include "dispatch/requestframe.h"
#include "protocol/replyline.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"
#include "squish/squishhookloader.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/socket.h>
#endif

namespace {

// How long the destructor waits for unsent replies to leave the closing state. It does
// not process events, so the wait only helps when the kernel accepts the bytes at once;
// a driver that stopped reading must not hang the host's shutdown.
const int closingWaitMs = 500;

// A request answered early (see socketReadyRead) that then ended with another reply: the
// driver already holds its one reply line, so the late outcome goes to the host's log.
const char lateOutcome[] =
    "TestClient: request \"%s\" was answered \"%s\" when the application started waiting "
    "in an event loop of its own; it then ended with \"%s\"";

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

// Hands the kernel as much of `bytes` as it takes at once, without waiting; the count taken.
qint64 sendAtOnce(qintptr descriptor, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    if (descriptor < 0)
        return 0;
    const ssize_t sent = ::send(int(descriptor), bytes.constData(), size_t(bytes.size()),
                                MSG_NOSIGNAL | MSG_DONTWAIT);
    return sent > 0 ? qint64(sent) : 0;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(bytes);
    return 0;
#endif
}

} // namespace

TestClient::TestClient(quint16 port, bool extended)
    : QTcpSocket(nullptr),
      extended(extended || qEnvironmentVariableIntValue("TESTCLIENT_EXTENDED") != 0)
{
    connect(this, &QAbstractSocket::connected, this, &TestClient::socketConnected);
    connect(this, &QIODevice::readyRead, this, &TestClient::socketReadyRead);
    connect(this, &QAbstractSocket::errorOccurred, this, &TestClient::socketError);
    if (QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance(thread())) {
        connect(events, &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { applicationLoopWaits(); });
    }

    // Before the agent touches any widget, so that the index sees every one made from now on.
    if (ObjectNameIndex::wanted() && !ObjectNameIndex::instance())
        nameIndex.reset(new ObjectNameIndex);

    wrapperVariant = wrapperVariantName();
    const SquishAttachment squish = attachSquish(wrapperVariant);
    // The helper object, when there is one, belongs to the outside tool's side: it is
    // cleaned up when the application is about to quit.
    hookVersion = squish.hookVersion;

    connectToHost(QHostAddress(QHostAddress::LocalHost), port, QIODevice::ReadWrite);

    appProxy = new STApplicationProxy(agentProxyTable(), this->extended ? WireText::Mode::Extended
                                                                        : WireText::Mode::Plain);
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
    delete appProxy;
}

void TestClient::dispose()
{
    RequestFrame *running = innermostFrame;
    if (!running) {
        delete this;
        return;
    }
    if (!running->answered && running->hasPromise())
        answer(running, running->earlyReply());
    disposed = true;
    flush();
    close();
}

QByteArray TestClient::greeting() const
{
    return "+client+ 2.1.0 " + QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(hookVersion) + ' ' + wrapperVariant.toLatin1() +
           (extended ? " extended" : "");
}

void TestClient::socketConnected()
{
    markNotInheritable(socketDescriptor());
    setSocketOption(QAbstractSocket::LowDelayOption, 1);
    write(greeting() + '\n');
    flush();
}

void TestClient::socketError(QAbstractSocket::SocketError)
{
    close();
}

// The request loop. Requests are answered strictly one at a time, in the order they came,
// with exactly one reply line each.
//
// Normally a request runs from start to end inside this slot: the input it synthesises is
// handled by processing events with socket notifications excluded, so the next line
// waits, and its reply is written when it returns.
//
// But code that a request runs may enter an event loop of the application's own and wait
// there for a person: a modal dialog's or message box's exec(), a menu's exec(), any
// QEventLoop. Nothing would then return until the dialog closed, and the driver, waiting
// for the reply, could never close it. Such a loop is noticed through the event
// dispatcher's aboutToBlock signal: it is emitted only when events are processed with
// WaitForMoreEvents, which the agent's own flushing never asks for, so while a request
// runs it means exactly that the application waits in a loop of its own (the host's main
// loop below us never emits it while a request is on the stack). Then:
//  - the running request is answered at once with the reply it promised (a widget action
//    knows its success reply before it acts; see RequestFrame), and flushed;
//  - the waiting loop serves the following lines, one per emission of aboutToBlock, each
//    in its own frame: buffered ones (pipelined behind, or read ahead) right away, later
//    ones once the loop has taken in the socket's notification. One line at a time lets
//    the loop notice that a served request ended it (the dialog was closed) before the
//    next line is read, so that line runs after the waiting request's remaining steps,
//    as it would for a person who closed the dialog;
//  - a served request may itself wait in a loop: frames nest without limit;
//  - when the loop ends, the waiting request finishes silently: its reply has left. When
//    it ends with another reply than the one sent (a failure after the dialog closed),
//    that reply goes to the host's log as a warning (lateOutcome), never onto the wire.
// Where no such loop starts, nothing of this runs: replies and event order are those of
// the plain loop below.
void TestClient::socketReadyRead()
{
    // A request of ours is on the call stack: either still running, processing events
    // in which the socket's notification slipped through (the application's own
    // processEvents), or waiting in an application loop, which serves the line itself.
    if (innermostFrame)
        return;
    while (state() == QAbstractSocket::ConnectedState && serveOneLine()) {
    }
    // This is the bottom of every request's call stack: nothing of ours runs any more.
    if (disposed)
        deleteLater();
}

// Reads one buffered line and answers it, unless it was answered early. False when no
// complete line was buffered.
bool TestClient::serveOneLine()
{
    framer.append(readAll());
    QByteArray line;
    const LineFramer::Result taken = framer.takeLine(&line);
    if (taken == LineFramer::Result::NoLine)
        return false;

    RequestFrame frame(innermostFrame);
    QByteArray reply = taken == LineFramer::Result::OverlongLine
                           ? Reply::commandNotFound()
                           : dispatcher->dispatch(QString::fromUtf8(line), &frame);
    if (!frame.answered) {
        answer(&frame, std::move(reply));
    } else if (reply != frame.earlyReply()) {
        qWarning(lateOutcome, line.left(200).constData(), frame.earlyReply().constData(),
                 reply.constData());
    }
    return true;
}

// The event dispatcher is about to wait for events. See socketReadyRead.
void TestClient::applicationLoopWaits()
{
    RequestFrame *frame = innermostFrame;
    if (!frame)
        return; // the host's main loop, or a loop of its own outside our requests
    if (!frame->answered)
        answer(frame, frame->earlyReply());
    if (state() != QAbstractSocket::ConnectedState)
        return;
    if (serveOneLine()) {
        // More lines may be buffered, and no notification would announce them: make the
        // loop come round (and emit aboutToBlock) once more instead of waiting.
        if (QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance(thread()))
            events->wakeUp();
    }
}

// Writes a request's one reply line. A connection that ended meanwhile takes nothing.
void TestClient::answer(RequestFrame *frame, QByteArray reply)
{
    frame->answered = true;
    if (state() != QAbstractSocket::ConnectedState)
        return;
    // In place when the reply is ours alone: a large reply is not copied for its newline.
    reply.append('\n');
    // Qt 5's socket copies whatever it is given into a write buffer of its own before any
    // of it reaches the kernel: for a tree of half a megabyte a copy, and fresh pages for
    // it on every request. So when nothing of an earlier reply still waits in that buffer
    // (the order of the bytes is then ours to keep), the reply goes to the kernel directly.
    // What the kernel does not take at once (its buffer is full: a driver slow to read)
    // goes through the socket's buffer as before, and leaves as the event loop runs. An
    // error (a lost driver) takes nothing here, so the socket meets it on its own write
    // and reports it as it always has.
    const qint64 sent = bytesToWrite() == 0 ? sendAtOnce(socketDescriptor(), reply) : 0;
    if (sent < reply.size())
        write(reply.constData() + sent, reply.size() - sent);
    flush();
}
