#include "frameworktest.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/stwidgetproxy.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>

#include <memory>

class TestSTApplicationProxy : public QObject
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
        QTest::newRow("a hint outside the class chain fails")
            << "QPushButton"
            << "QCheckBox"
            << "Widget is not derived from class QCheckBox";
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

        STApplicationProxy registry;
        std::unique_ptr<QWidget> widget(kind == "QCheckBox" ? new QCheckBox
                                        : kind == "QFrame"  ? static_cast<QWidget *>(new QFrame)
                                                            : new QPushButton);
        if (chosen.contains(QLatin1Char(' '))) {
            QCOMPARE(errorOf([&] { registry.proxyFor(widget.get(), hint); }), chosen);
            return;
        }
        QCOMPARE(registry.proxyFor(widget.get(), hint), registry.registeredProxy(chosen));
        QCOMPARE(registry.getProxyProperty(widget.get(), hint, "silkClassName", QVariant()),
                 QVariant(chosen));
    }

    void requestSwitchesFlushingBackOn()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
        recorder.watch(&scene.target);
        STApplicationProxy registry;
        const QString hint = QStringLiteral("QWidget");

        // A click leaves its proxy with flushing off: press and release are both queued
        // and handled after the request ...
        registry.mouseWidget(&scene.target, hint, QStringLiteral("MouseClick:LeftButton:::"));
        QCOMPARE(recorder.count(), 0);
        QTRY_COMPARE(recorder.lines(),
                     (QStringList{"MouseButtonPress LeftButton buttons=LeftButton (49,24)",
                                  "MouseButtonRelease LeftButton buttons=NoButton (49,24)"}));
        // ... but the next request flushes again: its press is handled before it returns.
        registry.mouseWidget(&scene.target, hint, QStringLiteral("MousePress:LeftButton:0:0:"));
        QCOMPARE(recorder.count(), 3);
    }
};

TC_TEST_MAIN(TestSTApplicationProxy)
#include "tst_stapplicationproxy.moc"
