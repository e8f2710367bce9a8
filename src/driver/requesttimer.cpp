#include "requesttimer.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>

namespace RequestTimer {

namespace {

// Replies such as a whole tree run to hundreds of kilobytes: the summary shows the start.
constexpr int shownReplyBytes = 100;

qint64 percentile(QVector<qint64> sorted, int percent)
{
    if (sorted.isEmpty())
        return 0;
    return sorted.at(std::min(int(sorted.size()) - 1, int(sorted.size()) * percent / 100));
}

QString micros(qint64 nanoseconds)
{
    return QString::number(double(nanoseconds) / 1000.0, 'f', 1) + QStringLiteral(" us");
}

QString shortened(const QByteArray &reply)
{
    if (reply.size() <= shownReplyBytes)
        return QString::fromUtf8(reply);
    return QString::fromUtf8(reply.left(shownReplyBytes)) +
           QStringLiteral("... (%1 bytes)").arg(reply.size());
}

} // namespace

bool parse(const QString &command, int *count, QString *request, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^:time(?:\\s+(\\d+))?\\s+(\\S.*)$"));
    const QRegularExpressionMatch match = form.match(command.trimmed());
    if (!match.hasMatch()) {
        *error = QStringLiteral("usage: :time [N] REQUEST");
        return false;
    }
    *count = defaultCount;
    if (!match.captured(1).isEmpty()) {
        bool ok = false;
        *count = match.captured(1).toInt(&ok);
        if (!ok || *count < 1 || *count > maxCount) {
            *error = QStringLiteral(":time sends a request 1 to %1 times").arg(maxCount);
            return false;
        }
    }
    *request = match.captured(2);
    return true;
}

Timing run(const QByteArray &request, int count, const std::function<QByteArray()> &send)
{
    Timing timing;
    timing.request = request;
    timing.roundTripsNs.reserve(count);
    QElapsedTimer clock;
    for (int i = 0; i < count; ++i) {
        clock.start();
        const QByteArray reply = send();
        const qint64 elapsed = clock.nsecsElapsed();
        if (reply.isNull()) {
            timing.failed = true;
            break;
        }
        timing.roundTripsNs.append(elapsed);
        if (i == 0)
            timing.firstReply = reply;
        else if (reply != timing.firstReply)
            timing.repliesDiffer = true;
    }
    return timing;
}

QString describe(const Timing &timing)
{
    QVector<qint64> sorted = timing.roundTripsNs;
    std::sort(sorted.begin(), sorted.end());
    QString text =
        QStringLiteral("%1 x %2").arg(sorted.size()).arg(QString::fromUtf8(timing.request));
    if (!sorted.isEmpty()) {
        text += QStringLiteral(": median %1, p95 %2, fastest %3")
                    .arg(micros(percentile(sorted, 50)), micros(percentile(sorted, 95)),
                         micros(sorted.first()));
        text += QStringLiteral("\n   reply ") + shortened(timing.firstReply);
    }
    if (timing.repliesDiffer)
        text += QStringLiteral("\n   (the replies were not all the same)");
    if (timing.failed)
        text +=
            QStringLiteral("\n   (no reply to request %1: timing stopped)").arg(sorted.size() + 1);
    return text;
}

QJsonObject toJson(const Timing &timing)
{
    QVector<qint64> sorted = timing.roundTripsNs;
    std::sort(sorted.begin(), sorted.end());
    return QJsonObject{{QStringLiteral("request"), QString::fromUtf8(timing.request)},
                       {QStringLiteral("answered"), sorted.size()},
                       {QStringLiteral("median_us"), double(percentile(sorted, 50)) / 1000.0},
                       {QStringLiteral("p95_us"), double(percentile(sorted, 95)) / 1000.0},
                       {QStringLiteral("reply"), shortened(timing.firstReply)},
                       {QStringLiteral("replies_differ"), timing.repliesDiffer},
                       {QStringLiteral("failed"), timing.failed}};
}

} // namespace RequestTimer
