#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QSize>
#include <QString>

class AgentConnection;

// The driver's ":shot FILE <window>[,<path>]": asks an extended agent for a PNG of a window
// or a widget (request 22) and writes it to FILE.
namespace ScreenShot {

// Splits ":shot FILE TARGET" into the file and the request line for TARGET. False, with the
// reason in `error`, when either is missing.
bool parse(const QString &command, QString *file, QByteArray *request, QString *error);

struct Result
{
    QString file;
    QByteArray reply; // null when none came
    bool written = false;
    QSize size;      // as the PNG's header states it
    int bytes = 0;   // of the PNG
    QString message; // what happened, for a person
};

// Sends the request and writes the PNG of its reply to `file`, whole or not at all. Only a
// reply that is a PNG is written.
Result take(AgentConnection *agent, const QString &file, const QByteArray &request, int timeoutMs);

QJsonObject toJson(const Result &result);

} // namespace ScreenShot
