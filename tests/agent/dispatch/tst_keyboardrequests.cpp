// The extended mode's key request (23) and its typing into widgets without a proxy.

#include "dispatch/requestdispatcher.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {

// A widget that reads the text of its keys itself, as an editor component does (QScintilla).
class Canvas : public QWidget
{
    Q_OBJECT

public:
    explicit Canvas(Qt::FocusPolicy policy)
    {
        setFocusPolicy(policy);
        setMinimumSize(80, 40);
    }
    QString typed;

protected:
    void keyPressEvent(QKeyEvent *event) override { typed += event->text(); }
};

// A window "Keys": two line edits, a canvas and one that takes no focus ("still");
// Ctrl+S is a QShortcut of the window, Ctrl+O a QAction.
struct Keys
{
    Keys()
    {
        window.setWindowTitle("Keys");
        auto *layout = new QVBoxLayout(&window);
        const std::pair<QWidget *, const char *> named[] = {
            {&first, "first"}, {&second, "second"}, {&canvas, "canvas"}, {&still, "still"}};
        for (const auto &[widget, name] : named) {
            widget->setObjectName(name);
            layout->addWidget(widget);
        }
        open.setShortcut(QKeySequence("Ctrl+O"));
        window.addAction(&open);
        window.show();
        window.activateWindow();
    }
    QWidget window;
    QLineEdit first, second;
    Canvas canvas{Qt::StrongFocus}, still{Qt::NoFocus};
    QShortcut save{QKeySequence("Ctrl+S"), &window};
    QAction open;
};

QByteArray keyRequest(const QByteArray &path, const QString &keys)
{
    return "23,Keys," + path + ",," + ("s:" + keys).toUtf8().toHex() + ",";
}

} // namespace

class tst_KeyboardRequests : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        qputenv("TESTCLIENT_INPUT_TIMEOUT_MS", "300");
        keys.reset(new Keys);
        QVERIFY(QTest::qWaitForWindowActive(&keys->window));
    }

    void keysReachShortcutsAndTheFocus()
    {
        QSignalSpy saved(&keys->save, &QShortcut::activated);
        QSignalSpy opened(&keys->open, &QAction::triggered);
        // With nothing focused the window takes them itself, as from a keyboard.
        QApplication::focusWidget()->clearFocus();
        QCOMPARE(extended(keyRequest("", "Ctrl+S")), QByteArray("0,QWidget"));
        QCOMPARE(extended(keyRequest("first", "Ctrl+O, Ctrl+S")), QByteArray("0,QLineEdit"));
        QCOMPARE(saved.count() + opened.count(), 3);

        // A widget without the focus gets it, and nothing else is pressed.
        QSignalSpy returned(&keys->second, &QLineEdit::returnPressed);
        QCOMPARE(extended(keyRequest("second", "Return")), QByteArray("0,QLineEdit"));
        QCOMPARE(returned.count(), 1);
        QCOMPARE(keys->first.text(), QString());

        // Without a path the keys go to the focus widget, and follow the focus it moves.
        QCOMPARE(extended(keyRequest("", "Shift+Tab, x")), QByteArray("0,QLineEdit"));
        QCOMPARE(keys->first.text(), QString("x"));

        // More keys than a QKeySequence holds, commas as keys, the text a keyboard sends.
        QCOMPARE(extended(keyRequest("canvas", "a,Shift+b, +, Ctrl+,, Return, Space")),
                 QByteArray("0,QWidget"));
        QCOMPARE(keys->canvas.typed, QString("aB+\r "));
    }

    void shortcutsClickAButtonOncePerKey()
    {
        // A calculator's digit button, clicked a timer's run after its shortcut's key, and
        // clicked by another shortcut's slot as its "=" is by Return.
        QPushButton six("6");
        six.setShortcut(QKeySequence("6"));
        keys->window.layout()->addWidget(&six);
        QShortcut equals(QKeySequence("="), &keys->window);
        connect(&equals, &QShortcut::activated, &six, [&six] { six.animateClick(); });
        QSignalSpy clicked(&six, &QPushButton::clicked);
        QCOMPARE(extended(keyRequest("canvas", "6, 6, =")), QByteArray("0,QWidget"));
        QCOMPARE(clicked.count(), 3);
        // Keys the focus widget takes, or no shortcut, reach it alone.
        QCOMPARE(extended(keyRequest("first", "6")), QByteArray("0,QLineEdit"));
        QCOMPARE(extended(keyRequest("canvas", "7")), QByteArray("0,QWidget"));
        QCOMPARE(keys->first.text() + keys->canvas.typed + QString::number(clicked.count()),
                 QString("673"));
    }

    void refusedKeys_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("unknown key")
            << keyRequest("first", "Return, Retrun")
            << QByteArray("8,Exception : Error: unknown key \"Retrun\" in \"Return, Retrun\"");
        QTest::newRow("no focus") << keyRequest("still", "Return")
                                  << QByteArray("8,Exception : Error: widget \"still\" of class "
                                                "\"Canvas\" does not take the keyboard focus, so "
                                                "its keys would go to widget \"first\" of class "
                                                "\"QLineEdit\" in window \"Keys\"");
    }

    void refusedKeys()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        keys->first.setFocus();
        QSignalSpy returned(&keys->first, &QLineEdit::returnPressed);
        QCOMPARE(extended(request), reply);
        QCOMPARE(returned.count(), 0);
        QCOMPARE(plain(request), QByteArray("8,Command not found"));
    }

    void aWindowOnceOfNoSizeTakesKeysAgain()
    {
        // Resized to no height and back, the window is active for the window system but
        // not for Qt's widgets, and no asking changes that.
        keys->window.layout()->setSizeConstraint(QLayout::SetNoConstraint);
        keys->window.setMinimumSize(0, 0);
        QCOMPARE(plain("11,Keys,200,0"), QByteArray("0,Keys"));
        QCOMPARE(plain("11,Keys,200,200"), QByteArray("0,Keys"));
        if (QApplication::activeWindow())
            QSKIP("this platform keeps the window active for Qt's widgets");
        QCOMPARE(plain("6,Keys,first,," + QByteArray("s:x").toHex() + ","),
                 "8,Exception : Error: the keys for widget \"first\" of class \"QLineEdit\" would "
                 "go nowhere: its window \"Keys\" is active for the window system but not for "
                 "Qt's widgets, as Qt leaves a window once resized to no width or height");
        QCOMPARE(extended(keyRequest("first", "y")), QByteArray("0,QLineEdit"));
        QCOMPARE(keys->first.text(), QString("y"));
    }

    void typingIntoAWidgetWithoutProxy()
    {
        const QByteArray typed = "6,Keys,canvas,," + QByteArray("s:hi there").toHex() + ",";
        QCOMPARE(plain(typed), QByteArray("8,Exception : \"enter\" is not implemented for "
                                          "widget of class \"Canvas\""));
        QCOMPARE(extended(typed), QByteArray("0,QWidget"));
        QCOMPARE(keys->canvas.typed, QString("hi there"));

        // A click does not give it the focus: nothing is typed anywhere.
        keys->first.setFocus();
        QVERIFY(extended("6,Keys,still,,733a78,").contains("does not take the keyboard focus"));
        QCOMPARE(keys->first.text() + keys->still.typed, QString());
    }

private:
    QByteArray plain(const QByteArray &line) { return plainDispatcher.dispatch(line); }
    QByteArray extended(const QByteArray &line) { return extendedDispatcher.dispatch(line); }

    STApplicationProxy plainRegistry{agentProxyTable()};
    STApplicationProxy extendedRegistry{agentProxyTable(), WireText::Mode::Extended};
    RequestDispatcher plainDispatcher{&plainRegistry, -1};
    RequestDispatcher extendedDispatcher{&extendedRegistry, -1};
    std::unique_ptr<Keys> keys;
};

TC_TEST_MAIN(tst_KeyboardRequests)
#include "tst_keyboardrequests.moc"
