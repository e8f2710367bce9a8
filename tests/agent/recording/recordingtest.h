#pragma once

#include "dispatch/requestdispatcher.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QStringList>

// What the recorder's tests share: an agent in the extended mode to send requests to, and
// the request lines of the steps recorded so far.
class RecordingTest : public QObject
{
protected:
    static QString hex(const QString &text) { return QString::fromLatin1(text.toUtf8().toHex()); }
    QByteArray extended(const QByteArray &line)
    {
        return dispatcher.dispatch(QString::fromUtf8(line));
    }
    // The recorded request lines, without fetching changing anything.
    QStringList requests()
    {
        const QByteArray reply = extended("26");
        if (!reply.startsWith("0,j:"))
            return {QString::fromUtf8(reply)};
        QStringList lines;
        const QJsonArray steps = QJsonDocument::fromJson(reply.mid(4)).array();
        for (const QJsonValue &step : steps)
            lines << step.toObject().value("request").toString();
        return lines;
    }

    STApplicationProxy registry{agentProxyTable(), WireText::Mode::Extended};
    RequestDispatcher dispatcher{&registry, -1};
};
