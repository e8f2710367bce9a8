#pragma once

#include "driveroptions.h"

#include <QString>

#include <functional>

class AgentConnection;
class LineInput;
class QJsonObject;
class QTextStream;

// The driver at work: one line at a time from the script or the terminal, each either one
// of the driver's own commands or a request for the agent.
class Session
{
public:
    Session(AgentConnection *agent, const DriverOptions &options, QTextStream &out,
            QTextStream &err)
        : agent(agent), options(options), out(out), err(err)
    {
    }

    enum class Next { Continue, Stop };

    void greet();
    // Reads lines until the input ends or a command ends the session; the number of
    // requests that failed.
    int run(LineInput &input);

    Next quit(const QString &) { return Next::Stop; }
    Next help(const QString &);
    Next spy(const QString &);
    Next shot(const QString &line);
    Next time(const QString &line);
    Next wait(const QString &line);
    Next patience(const QString &line);

private:
    Next handle(const QString &line);
    Next request(const QString &line);
    Next failed();
    QByteArray poll(const QByteArray &read, int waitMs,
                    const std::function<bool(const QByteArray &)> &done);
    void awaitWidget(const QString &line);
    void print(const QJsonObject &json, const QString &text);

    AgentConnection *agent;
    const DriverOptions &options;
    QTextStream &out;
    QTextStream &err;
    bool interactive = false;
    int failures = 0;
    int patienceMs = 0; // how long a step waits for its widget (:patience)
};
