#pragma once

#include <QList>
#include <QObject>
#include <QTcpServer>

class AgentConnection;

// Listens on the loopback host for agents. Several agents may connect; each is known by
// the process id in its greeting.
class DriverServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 defaultPort = 4242;

    explicit DriverServer(QObject *parent = nullptr);

    bool listen(quint16 port = defaultPort);
    QString errorString() const { return listener.errorString(); }

    // Waits for the next agent to connect and greet; null on time-out. An agent that has
    // connected gets a few seconds to greet, even past the time-out.
    AgentConnection *waitForAgent(int timeoutMs = 10000);
    AgentConnection *agent(qint64 pid) const;
    QList<AgentConnection *> agents() const { return connectedAgents; }

private:
    QTcpServer listener;
    QList<AgentConnection *> connectedAgents;
};
