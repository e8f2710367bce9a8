// The extended mode's recording requests: 24, 25, 26.

#include "requesthandlers.h"

#include "protocol/replyline.h"
#include "recording/sessionrecorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace RequestHandlers {

QByteArray startRecording(const Request &request)
{
    std::unique_ptr<SessionRecorder> &recorder = request.context.recorder;
    if (!recorder)
        recorder = std::make_unique<SessionRecorder>(request.context.requests);
    recorder->start();
    return QByteArrayLiteral("0,recording");
}

QByteArray stopRecording(const Request &request)
{
    if (SessionRecorder *recorder = request.context.recorder.get())
        recorder->stop();
    return QByteArrayLiteral("0,stopped");
}

namespace {

QJsonArray stepsJson(SessionRecorder *recorder)
{
    QJsonArray steps;
    if (recorder) {
        const QVector<SessionRecorder::Step> recorded = recorder->steps();
        for (const SessionRecorder::Step &step : recorded) {
            // The fields the clients write lines or calls from, and the line itself.
            QJsonObject json{
                {QStringLiteral("code"), step.code},
                {QStringLiteral("window"), step.target.window},
                {QStringLiteral("address"), step.target.address},
                {QStringLiteral("values"), QJsonArray::fromStringList(step.values)},
                {QStringLiteral("request"), step.requestLine()},
            };
            if (step.isComment())
                json.insert(QStringLiteral("comment"), step.comment);
            if (step.secret)
                json.insert(QStringLiteral("secret"), true);
            steps.append(json);
        }
    }
    return steps;
}

} // namespace

QByteArray recordedSteps(const Request &request)
{
    return Reply::json(QJsonDocument(stepsJson(request.context.recorder.get())));
}

void keepRecordedSteps(SessionRecorder &recorder)
{
    const QString path = qEnvironmentVariable("TESTCLIENT_RECORD_FILE");
    if (path.isEmpty() || !recorder.isRecording())
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(stepsJson(&recorder)).toJson(QJsonDocument::Compact));
        file.commit();
    }
}

} // namespace RequestHandlers
