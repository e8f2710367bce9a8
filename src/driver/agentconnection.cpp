#include "agentconnection.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

AgentConnection::AgentConnection(QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
}

bool AgentConnection::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool AgentConnection::waitForLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_socket->canReadLine()) {
        if (deadline.hasExpired() || m_socket->state() != QAbstractSocket::ConnectedState)
            return m_socket->canReadLine();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Without an event loop of our own (a blocking tool), wait on the socket directly.
        if (!m_socket->canReadLine())
            m_socket->waitForReadyRead(5);
    }
    return true;
}

bool AgentConnection::waitForGreeting(int timeoutMs)
{
    if (!m_greeting.isEmpty())
        return true;
    if (!waitForLine(timeoutMs))
        return false;
    m_greeting = m_socket->readLine().trimmed();
    // "+client+ 2.1.0 <pid> <hookVersion> <wrapperVariant>"
    const QList<QByteArray> parts = m_greeting.split(' ');
    if (parts.size() < 5 || parts.at(0) != "+client+")
        return false;
    m_pid = parts.at(2).toLongLong();
    m_hookVersion = parts.at(3).toInt();
    m_wrapperVariant = QString::fromLatin1(parts.at(4));
    return true;
}

void AgentConnection::sendRaw(const QByteArray &bytes)
{
    m_socket->write(bytes);
    m_socket->flush();
}

QByteArray AgentConnection::readReply(int timeoutMs)
{
    if (!waitForLine(timeoutMs))
        return QByteArray();
    QByteArray line = m_socket->readLine();
    line.chop(1);
    return line;
}

QByteArray AgentConnection::request(const QByteArray &line, int timeoutMs)
{
    sendRaw(line + '\n');
    return readReply(timeoutMs);
}
