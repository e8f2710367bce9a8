#include "frameworktest.h"
#include "proxies/proxytable.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/stwidgetproxy.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>

#include <memory>

class tst_STApplicationProxy : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetInput(); }

    void proxyChoice_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("chosen"); // or the error message

        QTest::newRow("a check box has its own entry, not its button base's") << "QCheckBox"
                                                                              << ""
                                                                              << "QCheckBox";
        QTest::newRow("an unregistered frame falls back to QWidget") << "QFrame"
                                                                     << ""
                                                                     << "QWidget";
        QTest::newRow("a hint in the chain but not registered fails")
            << "QFrame"
            << "QFrame"
            << "Widget is not derived from class QFrame";
    }

    void proxyChoice()
    {
        QFETCH(QString, kind);
        QFETCH(QString, hint);
        QFETCH(QString, chosen);

        STApplicationProxy registry{agentProxyTable()};
        std::unique_ptr<QWidget> widget(kind == "QCheckBox" ? new QCheckBox
                                        : kind == "QFrame"  ? static_cast<QWidget *>(new QFrame)
                                                            : new QPushButton);
        const auto silkClassName = [&] {
            return registry.getProxyProperty(widget.get(), hint, "silkClassName", QVariant())
                .toString();
        };
        if (chosen.contains(QLatin1Char(' '))) {
            QCOMPARE(errorOf(silkClassName), chosen);
            return;
        }
        QCOMPARE(silkClassName(), chosen);
    }

    void requestSwitchesFlushingBackOn()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
        recorder.watch(&scene.target);
        STApplicationProxy registry{agentProxyTable()};
        const QString hint = QStringLiteral("QWidget");

        // A click leaves its proxy with flushing off: press and release are both queued
        // and handled after the request ...
        registry.act(STApplicationProxy::Action::Mouse, &scene.target, hint,
                     QStringLiteral("MouseClick:LeftButton:::"));
        QCOMPARE(recorder.count(), 0);
        QTRY_COMPARE(recorder.lines(),
                     (QStringList{"MouseButtonPress LeftButton buttons=LeftButton (49,24)",
                                  "MouseButtonRelease LeftButton buttons=NoButton (49,24)"}));
        // ... but the next request flushes again: its press is handled before it returns.
        // The fractions are of the width (x) and of the height (y).
        registry.act(STApplicationProxy::Action::Mouse, &scene.target, hint,
                     QStringLiteral("MousePress:LeftButton:0.2:0.8:"));
        QCOMPARE(recorder.count(), 3);
        QCOMPARE(recorder.lines().last(),
                 QStringLiteral("MouseButtonPress LeftButton buttons=LeftButton (20,40)"));
    }

    void actionsBringTheWindowBackFirst()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        scene.window.showMinimized();
        QTRY_VERIFY(scene.window.isMinimized());
        STApplicationProxy registry{agentProxyTable()};
        // The plain proxy cannot activate anything, but the window is restored before.
        QCOMPARE(errorOf([&] {
                     registry.act(STApplicationProxy::Action::Activate, &scene.target, QString(),
                                  QVariant());
                 }),
                 "\"activate\" is not implemented for widget of class \"QWidget\"");
        QVERIFY(!scene.window.isMinimized());
    }
};

TC_TEST_MAIN(tst_STApplicationProxy)
#include "tst_stapplicationproxy.moc"
