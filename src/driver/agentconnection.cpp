#include "agentconnection.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

AgentConnection::AgentConnection(QTcpSocket *socket, QObject *parent)
    : QObject(parent), connection(socket)
{
    connection->setParent(this);
}

bool AgentConnection::isConnected() const
{
    return connection->state() == QAbstractSocket::ConnectedState;
}

bool AgentConnection::waitForLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!connection->canReadLine()) {
        if (deadline.hasExpired() || connection->state() != QAbstractSocket::ConnectedState)
            return connection->canReadLine();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Without an event loop of our own (a blocking tool), wait on the socket directly.
        if (!connection->canReadLine())
            connection->waitForReadyRead(5);
    }
    return true;
}

bool AgentConnection::waitForGreeting(int timeoutMs)
{
    if (!greetingLine.isEmpty())
        return true;
    if (!waitForLine(timeoutMs))
        return false;
    greetingLine = connection->readLine().trimmed();
    // "+client+ 2.1.0 <pid> <hookVersion> <wrapperVariant> [extended]": words after the
    // fifth name what the agent adds to the protocol.
    const QList<QByteArray> parts = greetingLine.simplified().split(' ');
    if (parts.size() < 5 || parts.at(0) != "+client+")
        return false;
    agentPid = parts.at(2).toLongLong();
    agentHookVersion = parts.at(3).toInt();
    agentWrapperVariant = QString::fromLatin1(parts.at(4));
    agentExtended = parts.mid(5).contains("extended");
    return true;
}

void AgentConnection::sendRaw(const QByteArray &bytes)
{
    connection->write(bytes);
    connection->flush();
}

QByteArray AgentConnection::readReply(int timeoutMs)
{
    if (!waitForLine(timeoutMs))
        return QByteArray();
    QByteArray line = connection->readLine();
    line.chop(1);
    return line;
}

QByteArray AgentConnection::request(const QByteArray &line, int timeoutMs)
{
    sendRaw(line + '\n');
    return readReply(timeoutMs + replyAllowanceMs(line.size()));
}

int AgentConnection::replyAllowanceMs(qsizetype length)
{
    const double thousands = double(length) / 2000.0;
    return int(qMin(250.0 * thousands * thousands, 3600.0 * 1000.0));
}
