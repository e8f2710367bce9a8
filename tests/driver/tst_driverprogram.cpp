// Runs testclient-driver as a person would, with a script and the gallery started through
// testclient-run after "--", and reads its --json output line by line.

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_DriverProgram : public QObject
{
    Q_OBJECT

private slots:
    void spiesAndShoots_data();
    void spiesAndShoots();
    void waitsForWindows();
};

void tst_DriverProgram::spiesAndShoots_data()
{
    QTest::addColumn<QString>("driverOption");
    QTest::addColumn<QString>("launcherOption");
    QTest::addColumn<bool>("extended");

    QTest::newRow("extended by default") << QString() << QString() << true;
    QTest::newRow("plain launcher") << QString() << QStringLiteral("--plain") << false;
    // The driver's --plain reaches the agent through the environment, past the launcher.
    QTest::newRow("plain driver") << QStringLiteral("--plain") << QString() << false;
}

// With an extended agent the spy proves every address the agent proposes, and each shot is
// a PNG of the size the listing gives its window or widget; with a plain agent the spy
// builds addresses from the tree and no shot is written.
void tst_DriverProgram::spiesAndShoots()
{
    QFETCH(QString, driverOption);
    QFETCH(QString, launcherOption);
    QFETCH(bool, extended);
    QTemporaryDir dir;
    const QStringList shots{dir.filePath("window.png"), dir.filePath("button.png")};
    QFile script(dir.filePath("spy.requests"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("21,TestClient Gallery\n:spy\n:shot %1 TestClient Gallery\n"
                                ":shot %2 TestClient Gallery,{QPushButton text=Push}\n:help\n")
                     .arg(shots[0], shots[1])
                     .toUtf8());
    script.close();

    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList launcher{QStringLiteral("--"), QStringLiteral(LAUNCHER)};
    if (!launcherOption.isEmpty())
        launcher << launcherOption;
    QStringList arguments{"--json", script.fileName()};
    if (!driverOption.isEmpty())
        arguments << driverOption;
    driver.start(QStringLiteral(DRIVER),
                 arguments << launcher << "--" << QStringLiteral(HOST_RUNNER));
    QVERIFY(driver.waitForFinished(90000));
    QCOMPARE(driver.exitCode(), 0);
    QList<QJsonObject> output;
    QByteArrayList help;
    for (const QByteArray &line : driver.readAllStandardOutput().trimmed().split('\n')) {
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(line, &error);
        if (error.error == QJsonParseError::NoError)
            output << json.object();
        else
            help << line;
    }
    QCOMPARE(output.size(), 5);
    QCOMPARE(output[0].value("greeting").toString().endsWith(" extended"), extended);
    // :help lists the extended mode's requests for an extended agent only.
    QVERIFY(help.size() > 10);
    QCOMPARE(help.indexOf(QByteArray("  23,<window>,<path>,<class>,{hex:s:KEYS},   press keys "
                                     "on the widget (the window's")) >= 0,
             extended);
    const QStringList spy = output[2].value("spy").toVariant().toStringList();
    if (!extended) {
        QVERIFY2(spy.value(0).startsWith("window GalleryWindow : "), qPrintable(spy.value(0)));
        QVERIFY(!output[3].value("shot").toObject().value("written").toBool());
        return;
    }

    // The window is the listing's first entry.
    const QJsonArray widgets = output[1].value("value").toArray();
    QCOMPARE(spy.last(), QString("%1 widgets, 0 without a working address").arg(widgets.size()));
    const auto button = std::find_if(widgets.begin(), widgets.end(), [](const QJsonValue &w) {
        return w.toObject().value("name") == "pushButton";
    });
    QVERIFY(button != widgets.end());
    const QJsonArray geometries[]{widgets[0].toObject().value("geometry").toArray(),
                                  button->toObject().value("geometry").toArray()};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject shot = output[3 + i].value("shot").toObject();
        QVERIFY2(shot.value("written").toBool(), qPrintable(shot.value("message").toString()));
        const QSize size(geometries[i][2].toInt(), geometries[i][3].toInt());
        QCOMPARE(QSize(shot.value("width").toInt(), shot.value("height").toInt()), size);
        QCOMPARE(QImage(shots[i]).size(), size);
    }
}

// :wait answers once the window is there, and counts as a failed request when it does not
// come within the timeout. A step whose widget does not come within the :patience answers
// for itself, and only its reply is printed.
void tst_DriverProgram::waitsForWindows()
{
    QTemporaryDir dir;
    QFile script(dir.filePath("wait.requests"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(":wait TestClient Gallery\n:wait No Such Window\n8,TestClient Gallery\n"
                 ":patience 0.5\n5,TestClient Gallery,noSuchButton,,,\n");
    script.close();

    QProcess driver;
    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral(DRIVER),
                 {"--json", "--timeout", "5", script.fileName(), "--", QStringLiteral(LAUNCHER),
                  "--", QStringLiteral(HOST_RUNNER)});
    QVERIFY(driver.waitForFinished(90000));
    QCOMPARE(driver.exitCode(), 1);
    QList<QJsonObject> output;
    for (const QByteArray &line : driver.readAllStandardOutput().trimmed().split('\n'))
        output << QJsonDocument::fromJson(line).object();
    QCOMPARE(output.size(), 5);
    QCOMPARE(output[1], (QJsonObject{{"wait", "TestClient Gallery"}, {"found", true}}));
    QCOMPARE(output[2], (QJsonObject{{"wait", "No Such Window"}, {"found", false}}));
    // The session went on after the window that did not come.
    QCOMPARE(output[3].value("request").toString(), QString("8,TestClient Gallery"));
    QCOMPARE(output[4].value("reply").toString(), QString("5,Widget (noSuchButton) not found"));
}

QTEST_GUILESS_MAIN(tst_DriverProgram)
#include "tst_driverprogram.moc"
