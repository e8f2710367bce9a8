#include "driverserver.h"

#include "agentconnection.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {

// The greeting follows a connection at once. It gets this long even when the caller's
// deadline is nearly spent: an agent never reconnects, so a connection dropped for want
// of time would be lost for good.
const int greetingGraceMs = 5000;

} // namespace

DriverServer::DriverServer(QObject *parent) : QObject(parent) {}

bool DriverServer::listen(quint16 port)
{
    return listener.listen(QHostAddress::LocalHost, port);
}

AgentConnection *DriverServer::waitForAgent(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!listener.hasPendingConnections()) {
        if (deadline.hasExpired())
            return nullptr;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!listener.hasPendingConnections())
            listener.waitForNewConnection(5);
    }
    auto *agent = new AgentConnection(listener.nextPendingConnection(), this);
    if (!agent->waitForGreeting(int(qMax<qint64>(deadline.remainingTime(), greetingGraceMs)))) {
        delete agent;
        return nullptr;
    }
    connectedAgents << agent;
    return agent;
}

AgentConnection *DriverServer::agent(qint64 pid) const
{
    for (AgentConnection *agent : connectedAgents) {
        if (agent->pid() == pid)
            return agent;
    }
    return nullptr;
}
