#pragma once

#include <QProcess>
#include <QtTest>

// For end-to-end tests: waits for a host process that was asked to quit, kills it when it
// does not end in time, and checks that it ended normally with exit code 0 (destroying
// its agent through ZuDestroy on the way out).
inline void verifyNormalExit(QProcess *host)
{
    const bool finished = host->waitForFinished(10000);
    if (!finished)
        host->kill();
    QVERIFY(finished);
    QCOMPARE(host->exitStatus(), QProcess::NormalExit);
    QCOMPARE(host->exitCode(), 0);
}
