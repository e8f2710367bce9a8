#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QPointer>
#include <QString>

class TestClient;

// Attaches the one agent to an application that knows nothing of it. Made by the Qt
// plug-in inside the application object's constructor, it waits for the event loop (the
// application object is complete only then), creates the agent as the host framework's
// ZuCreate would, without that framework, and ends it when the application is about to quit.
// Progress goes to testclient-run when it started the application (attachstatus.h).
//
// It is no widget and has no parent, so requests never see it.
class AttachedAgent : public QObject
{
    Q_OBJECT

public:
    explicit AttachedAgent(const QString &specification);
    ~AttachedAgent() override;

    // The plug-in's options, separated by colons: "port=N" with N from 1 to 65535 (4242
    // when not given) and "extended", the agent's extended mode. False, with the reason in
    // *error, for anything else.
    static bool parseSpecification(const QString &specification, quint16 *port, bool *extended,
                                   QString *error);

    TestClient *agent() const;

private:
    void start();
    void stop();
    void socketStateChanged(QAbstractSocket::SocketState state);
    void report(const char *word, const QByteArray &argument = QByteArray());
    // Reports the last step and closes the status descriptor.
    void finish(const char *word, const QByteArray &argument = QByteArray());

    quint16 port = 0;
    bool extended = false;
    QString specificationError;
    QPointer<TestClient> client; // ends itself once disposed of
    int statusDescriptor = -1;
};
