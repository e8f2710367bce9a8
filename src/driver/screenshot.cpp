#include "screenshot.h"

#include "agentconnection.h"
#include "replydecoder.h"

#include <QSaveFile>

namespace ScreenShot {

bool parse(const QString &command, QString *file, QByteArray *request, QString *error)
{
    // The target keeps its blanks: selectors hold them ("{QDialog title='Save As'}").
    const QString arguments = command.mid(int(qstrlen(":shot"))).trimmed();
    const int blank = arguments.indexOf(QLatin1Char(' '));
    const QString target = blank < 0 ? QString() : arguments.mid(blank + 1).trimmed();
    if (target.isEmpty()) {
        *error = QStringLiteral(":shot needs a file and a window: :shot FILE <window>[,<path>]");
        return false;
    }
    *file = arguments.left(blank);
    // A window alone is shot with the empty path.
    *request = "22," + target.toUtf8();
    if (!target.contains(QLatin1Char(',')))
        *request += ',';
    return true;
}

Result take(AgentConnection *agent, const QString &file, const QByteArray &request, int timeoutMs)
{
    Result result;
    result.file = file;
    result.reply = agent->request(request, timeoutMs);
    const ReplyDecoder::DecodedReply decoded = ReplyDecoder::decode(result.reply);
    if (decoded.form != ReplyDecoder::DecodedReply::Form::Value || decoded.type != "p:") {
        result.message = QStringLiteral("no screenshot: ") + ReplyDecoder::describe(decoded);
        if (decoded.status == '8' && !agent->isExtended())
            result.message += QStringLiteral(" (the agent is not in the extended mode)");
        return result;
    }
    result.bytes = decoded.png.size();
    result.size = ReplyDecoder::pngSize(decoded.png);
    if (!result.size.isValid()) {
        result.message = QStringLiteral("no screenshot: the reply holds no PNG image (%1 bytes)")
                             .arg(result.bytes);
        return result;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(decoded.png) != decoded.png.size() ||
        !out.commit()) {
        result.message = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
        return result;
    }
    result.written = true;
    result.message = QStringLiteral("wrote %1: %2").arg(file, ReplyDecoder::describe(decoded));
    return result;
}

QJsonObject toJson(const Result &result)
{
    QJsonObject json{{QStringLiteral("file"), result.file},
                     {QStringLiteral("written"), result.written},
                     {QStringLiteral("message"), result.message}};
    if (result.written) {
        json.insert(QStringLiteral("png_bytes"), result.bytes);
        json.insert(QStringLiteral("width"), result.size.width());
        json.insert(QStringLiteral("height"), result.size.height());
    } else {
        // A failed reply is short: an error, or hex that is no PNG (cut, to stay readable).
        json.insert(QStringLiteral("reply"),
                    result.reply.isNull() ? QJsonValue()
                                          : QJsonValue(QString::fromUtf8(result.reply.left(200))));
    }
    return json;
}

} // namespace ScreenShot
