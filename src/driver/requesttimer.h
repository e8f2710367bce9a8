#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>

// The driver's ":time [N] REQUEST": sends one request N times (100 unless told) and reports
// its round trips, so a test author can see what a request costs in their application.
namespace RequestTimer {

constexpr int defaultCount = 100;
constexpr int maxCount = 1000000;

struct Timing
{
    QByteArray request;
    QVector<qint64> roundTripsNs; // one per answered request, in the order sent
    QByteArray firstReply;
    bool repliesDiffer = false;
    bool failed = false; // a request got no reply; timing stopped there
};

// Splits ":time [N] REQUEST". False, with the reason in `error`, when N is out of range or
// no request follows.
bool parse(const QString &command, int *count, QString *request, QString *error);

// Calls `send` (one request, its reply; a null reply is a failure) `count` times.
Timing run(const QByteArray &request, int count, const std::function<QByteArray()> &send);

// "N x REQUEST: median .. us, p95 .. us, fastest .. us" and the reply, shortened.
QString describe(const Timing &timing);
QJsonObject toJson(const Timing &timing);

} // namespace RequestTimer
