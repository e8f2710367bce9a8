#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

// The driver's side of one agent's connection: its greeting, and requests sent one at a
// time, each waiting for its one reply line. Waiting keeps the caller's event loop
// running, so an agent living in the same process is served meanwhile.
class AgentConnection : public QObject
{
    Q_OBJECT

public:
    explicit AgentConnection(QTcpSocket *socket, QObject *parent = nullptr);

    // Waits for the greeting line; false when it did not come in time or was malformed.
    bool waitForGreeting(int timeoutMs = 10000);

    QByteArray greeting() const { return greetingLine; }
    qint64 pid() const { return agentPid; }
    int hookVersion() const { return agentHookVersion; }
    QString wrapperVariant() const { return agentWrapperVariant; }
    // The agent's greeting ends with "extended": it answers requests 20 to 22 and selectors.
    bool isExtended() const { return agentExtended; }

    // Sends one request line (the line feed is added) and returns the reply line without
    // its line feed; a null QByteArray when no reply came in time or the agent went away.
    // A long line waits longer than `timeoutMs`: see replyAllowanceMs.
    QByteArray request(const QByteArray &line, int timeoutMs = 10000);
    // What a request line of `length` bytes adds to the time its reply is waited for. A
    // long line carries a text to type (two hex digits a character), and a text widget lays
    // out its whole text again for every key it takes, so typing costs the square of the
    // text's length: 250 ms for every (1,000 characters) squared, which is about three
    // times what a QTextEdit takes on a busy machine (10,000 characters: 25 s more).
    static int replyAllowanceMs(qsizetype length);
    // Sends raw bytes as they are, for tests of framing; replies are read with readReply.
    void sendRaw(const QByteArray &bytes);
    QByteArray readReply(int timeoutMs = 10000);

    bool isConnected() const;
    QTcpSocket *socket() const { return connection; }

private:
    bool waitForLine(int timeoutMs);

    QTcpSocket *connection;
    QByteArray greetingLine;
    qint64 agentPid = -1;
    int agentHookVersion = 0;
    QString agentWrapperVariant;
    bool agentExtended = false;
};
