#include "frameworktest.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/framework/stwidgetproxy.h"

#include "eventrecorder.h"
#include "testmain.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <memory>

// A class of the host application, known to the registry by its name only.
class VCButton : public QPushButton
{
    Q_OBJECT
};

// An application's own button class without an entry of its own.
class FancyButton : public QPushButton
{
    Q_OBJECT
};

namespace {

std::unique_ptr<QWidget> makeWidget(const QString &kind)
{
    if (kind == QLatin1String("QCheckBox"))
        return std::make_unique<QCheckBox>();
    if (kind == QLatin1String("QRadioButton"))
        return std::make_unique<QRadioButton>();
    if (kind == QLatin1String("QLabel"))
        return std::make_unique<QLabel>();
    if (kind == QLatin1String("QFrame"))
        return std::make_unique<QFrame>();
    if (kind == QLatin1String("VCButton"))
        return std::make_unique<VCButton>();
    if (kind == QLatin1String("FancyButton"))
        return std::make_unique<FancyButton>();
    return std::make_unique<QPushButton>();
}

// Served by the base proxy whatever proxy the button's own class has.
const QString BaseHint = QStringLiteral("QWidget");

} // namespace

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

        QTest::newRow("a check box has its own entry") << "QCheckBox"
                                                       << ""
                                                       << "QCheckBox";
        QTest::newRow("a radio button has its own entry") << "QRadioButton"
                                                          << ""
                                                          << "QRadioButton";
        QTest::newRow("a label has its own entry") << "QLabel"
                                                   << ""
                                                   << "QLabel";
        QTest::newRow("an unregistered frame falls back to QWidget") << "QFrame"
                                                                     << ""
                                                                     << "QWidget";
        QTest::newRow("a button subclass is served as a push button") << "FancyButton"
                                                                      << ""
                                                                      << "QPushButton";
        QTest::newRow("a host class is found by its class name") << "VCButton"
                                                                 << ""
                                                                 << "VCButton";
        QTest::newRow("a hint chooses a registered base class") << "QPushButton"
                                                                << "QAbstractButton"
                                                                << "QAbstractButton";
        QTest::newRow("a hint can go up to QWidget") << "QPushButton"
                                                     << "QWidget"
                                                     << "QWidget";
        QTest::newRow("a hint outside the class chain fails")
            << "QPushButton"
            << "QLabel"
            << "Widget is not derived from class QLabel";
        QTest::newRow("a hint in the chain but not registered fails")
            << "QFrame"
            << "QFrame"
            << "Widget is not derived from class QFrame";
        QTest::newRow("hints are case-sensitive") << "QPushButton"
                                                  << "qpushbutton"
                                                  << "Widget is not derived from class qpushbutton";
    }

    void proxyChoice()
    {
        QFETCH(QString, kind);
        QFETCH(QString, hint);
        QFETCH(QString, chosen);

        STApplicationProxy registry;
        const std::unique_ptr<QWidget> widget = makeWidget(kind);
        if (chosen.contains(QLatin1Char(' '))) {
            QCOMPARE(errorOf([&] { registry.proxyFor(widget.get(), hint); }), chosen);
            return;
        }
        QCOMPARE(registry.proxyFor(widget.get(), hint), registry.registeredProxy(chosen));
        QCOMPARE(registry.getProxyProperty(widget.get(), hint, "silkClassName", QVariant()),
                 QVariant(chosen));
        QCOMPARE(registry.getProxyProperty(widget.get(), hint, "className", QVariant()),
                 QVariant(QString::fromLatin1(widget->metaObject()->className())));
    }

    void baseProxyOperationsNameTheWidgetClass()
    {
        Scene scene;
        QPushButton button(QStringLiteral("OK"), &scene.window);
        QVERIFY(showActive(&scene.window));
        STApplicationProxy registry;

        QCOMPARE(errorOf([&] { registry.activateWidget(&button, BaseHint, true, QVariant()); }),
                 "\"activate\" is not implemented for widget of class \"QPushButton\"");
        QCOMPARE(errorOf([&] { registry.enterWidget(&button, BaseHint, QStringLiteral("x")); }),
                 "\"enter\" is not implemented for widget of class \"QPushButton\"");
    }

    void disabledWidget_data()
    {
        QTest::addColumn<int>("request"); // activate, enter, mouse
        QTest::addColumn<QString>("objectName");

        QTest::newRow("activate") << 0 << "ok";
        QTest::newRow("enter") << 1 << "ok";
        QTest::newRow("mouse") << 2 << "ok";
        QTest::newRow("a widget without a name gives two adjacent quotes") << 2 << "";
    }

    void disabledWidget()
    {
        QFETCH(int, request);
        QFETCH(QString, objectName);

        Scene scene;
        QPushButton button(QStringLiteral("OK"), &scene.window);
        button.setObjectName(objectName);
        button.setEnabled(false);
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder;
        recorder.watch(&button);
        STApplicationProxy registry;

        const std::function<void()> requests[] = {
            [&] { registry.activateWidget(&button, BaseHint, true, QVariant()); },
            [&] { registry.enterWidget(&button, BaseHint, QStringLiteral("x")); },
            [&] {
                registry.mouseWidget(&button, BaseHint, QStringLiteral("MouseClick:LeftButton:::"));
            }};
        QCOMPARE(errorOf(requests[request]),
                 QStringLiteral("Error: widget \"%1\" of class \"QPushButton\" is disabled.")
                     .arg(objectName));
        QCoreApplication::processEvents();
        QCOMPARE(recorder.count(), 0);
        QCOMPARE(QCursor::pos(), Nowhere);
        QCOMPARE(registry.getProxyProperty(&button, BaseHint, "enabled", QVariant()),
                 QVariant(false));
    }

    void requestSwitchesFlushingBackOn()
    {
        Scene scene;
        QVERIFY(showActive(&scene.window));
        EventRecorder recorder({QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
        recorder.watch(&scene.target);
        STApplicationProxy registry;

        // A click leaves its proxy with flushing off: the click is handled afterwards ...
        registry.mouseWidget(&scene.target, BaseHint, QStringLiteral("MouseClick:LeftButton:::"));
        QCOMPARE(recorder.count(), 0);
        QTRY_COMPARE(recorder.count(), 2);
        // ... but the next request flushes again: its press is handled before it returns.
        registry.mouseWidget(&scene.target, BaseHint, QStringLiteral("MousePress:LeftButton:0:0:"));
        QCOMPARE(recorder.count(), 3);
    }

    void windowClosedDuringRequest()
    {
        QPointer<QWidget> window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setGeometry(100, 100, 200, 150);
        auto *button = new QPushButton(QStringLiteral("Close"), window);
        QObject::connect(button, &QPushButton::pressed, window, &QWidget::close);
        QVERIFY(showActive(window));
        STApplicationProxy registry;

        // The window goes while the press is flushed; the request still ends normally.
        registry.mouseWidget(button, BaseHint, QStringLiteral("MousePress:LeftButton:::"));
        QTRY_VERIFY(!window);
        QCOMPARE(errorOf([&] {
                     registry.registeredProxy(BaseHint)->getProperty("className", QVariant());
                 }),
                 QStringLiteral("Internal error, proxy without widget"));
    }
};

TC_TEST_MAIN(TestSTApplicationProxy)
#include "tst_stapplicationproxy.moc"
