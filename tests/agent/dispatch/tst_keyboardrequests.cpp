// Keyboard input through the request dispatcher: the plain text edit proxy, the extended
// mode's key request (23) and its typing into widgets that have no proxy of their own.

#include "dispatch/requestdispatcher.h"
#include "eventrecorder.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {

QByteArray hex(const QString &text)
{
    return text.toUtf8().toHex();
}

// An application's own editor class, as SpeedCrunch's expression editor is.
class Editor : public QPlainTextEdit
{
    Q_OBJECT
};

// A widget that reads keys itself, as an editor component does (QScintilla); no proxy
// knows its class.
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

// Swallows every key press of the application before any widget sees it.
class KeyEater : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::KeyPress;
    }
};

// A window "Keys": two line edits, an editor, a focusable canvas and one that takes no
// focus ("still"); Ctrl+S is a QShortcut, Ctrl+O a QAction of the window.
struct Keys
{
    Keys()
    {
        window.setWindowTitle(QStringLiteral("Keys"));
        auto *layout = new QVBoxLayout(&window);
        const auto add = [layout](QWidget *widget, const char *name) {
            widget->setObjectName(QLatin1String(name));
            layout->addWidget(widget);
        };
        add(first = new QLineEdit, "first");
        add(second = new QLineEdit, "second");
        add(editor = new Editor, "editor");
        add(canvas = new Canvas(Qt::StrongFocus), "canvas");
        add(still = new Canvas(Qt::NoFocus), "still");
        save = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), &window);
        open = new QAction(&window);
        open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
        window.addAction(open);
        window.show();
        window.activateWindow();
    }
    QWidget window;
    QLineEdit *first;
    QLineEdit *second;
    Editor *editor;
    Canvas *canvas;
    Canvas *still;
    QShortcut *save;
    QAction *open;
};

} // namespace

class tst_KeyboardRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TESTCLIENT_INPUT_TIMEOUT_MS", "300"); }
    void init();
    void plainTextEditSubclass();
    void keysReachShortcutsAndTheFocus();
    void keySequencesAreReadWhole();
    void refusedKeys_data();
    void refusedKeys();
    void swallowedKeyFails();
    void typingIntoAWidgetWithoutProxy();

private:
    QByteArray plain(const QByteArray &line)
    {
        return plainDispatcher.dispatch(QString::fromUtf8(line));
    }
    QByteArray extended(const QByteArray &line)
    {
        return extendedDispatcher.dispatch(QString::fromUtf8(line));
    }

    STApplicationProxy registry{agentProxyTable()};
    RequestDispatcher plainDispatcher{&registry, -1};
    RequestDispatcher extendedDispatcher{&registry, -1, true};
    std::unique_ptr<Keys> keys;
};

void tst_KeyboardRequests::init()
{
    keys.reset(new Keys);
    QVERIFY(QTest::qWaitForWindowActive(&keys->window));
}

void tst_KeyboardRequests::plainTextEditSubclass()
{
    keys->editor->setPlainText(QStringLiteral("old\ntext"));
    QCOMPARE(plain("6,Keys,editor,," + hex("s:ss!") + ","), QByteArray("0,QPlainTextEdit"));
    QCOMPARE(plain("7,Keys,editor,,plainText,"), "0,u:" + hex("ss!"));
    QCOMPARE(extended("6,Keys,editor,," + hex("s:Gr\u00f6\u00dfe") + ","),
             QByteArray("0,QPlainTextEdit"));
    QCOMPARE(keys->editor->toPlainText(), QString::fromUtf8("Gr\u00f6\u00dfe"));
    keys->editor->setReadOnly(true);
    QCOMPARE(plain("6,Keys,editor,,733a78,"),
             QByteArray("8,Exception : enter, QPlainTextEdit is read only"));
}

void tst_KeyboardRequests::keysReachShortcutsAndTheFocus()
{
    QSignalSpy saved(keys->save, &QShortcut::activated);
    QSignalSpy opened(keys->open, &QAction::triggered);
    QCOMPARE(extended("23,Keys,first,," + hex("s:Ctrl+S, Ctrl+O") + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(saved.count(), 1);
    QCOMPARE(opened.count(), 1);

    // A widget without the focus gets it first; nothing else is pressed.
    keys->first->setFocus();
    QSignalSpy firstReturn(keys->first, &QLineEdit::returnPressed);
    QSignalSpy secondReturn(keys->second, &QLineEdit::returnPressed);
    QCOMPARE(extended("23,Keys,second,," + hex("s:Return") + ","), QByteArray("0,QLineEdit"));
    QCOMPARE(secondReturn.count(), 1);
    QCOMPARE(firstReturn.count(), 0);

    // Without a path the keys go to the focus widget, and follow it where a key moves it.
    QCOMPARE(extended("23,Keys,,," + hex("s:Shift+Tab, x") + ","), QByteArray("0,QLineEdit"));
    QCOMPARE(keys->first->text(), QString("x"));
    QCOMPARE(keys->second->text(), QString());
}

void tst_KeyboardRequests::keySequencesAreReadWhole()
{
    // More keys than a QKeySequence holds, commas as keys, and the text a keyboard sends.
    EventRecorder recorder({QEvent::KeyPress});
    recorder.watch(keys->canvas);
    QCOMPARE(
        extended("23,Keys,canvas,," + hex("s:a,Shift+b, F5, Ctrl+,, Return, +,Shift+Tab") + ","),
        QByteArray("0,QWidget"));
    QCOMPARE(recorder.lines(),
             QStringList({"KeyPress Key_A \"a\"", "KeyPress Key_B \"B\" ShiftModifier",
                          "KeyPress Key_F5 \"\"", "KeyPress Key_Comma \"\" ControlModifier",
                          "KeyPress Key_Return \"\r\"", "KeyPress Key_Plus \"+\"",
                          "KeyPress Key_Backtab \"\" ShiftModifier"}));
    QVERIFY(!keys->canvas->hasFocus());
}

void tst_KeyboardRequests::refusedKeys_data()
{
    QTest::addColumn<bool>("extendedMode");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray exception = "8,Exception : ";
    QTest::newRow("unknown key") << true << "23,Keys,first,," + hex("s:Ctrl+Foo") + ","
                                 << exception + "Error: unknown key \"Ctrl+Foo\" in \"Ctrl+Foo\"";
    QTest::newRow("unknown key in a sequence")
        << true << "23,Keys,first,," + hex("s:Return, Retrun") + ","
        << exception + "Error: unknown key \"Retrun\" in \"Return, Retrun\"";
    QTest::newRow("no key") << true << "23,Keys,first,," + hex("s:") + ","
                            << exception + "Error: no key to press";
    QTest::newRow("no text") << true << "23,Keys,first,," + hex("i:13") + ","
                             << exception + "Type error: object \"first\" of class \"QLineEdit\" "
                                            "accepts string.";
    QTest::newRow("widget without focus")
        << true << "23,Keys,still,," + hex("s:Return") + ","
        << exception + "Error: widget \"still\" of class \"Canvas\" does not take the keyboard "
                       "focus, so its keys would go to widget \"first\" of class \"QLineEdit\" "
                       "in window \"Keys\"";
    QTest::newRow("mode off") << false << "23,Keys,first,," + hex("s:Return") + ","
                              << QByteArray("8,Command not found");
    QTest::newRow("mode off, no path")
        << false << "23,Keys,,," + hex("s:Return") + "," << QByteArray("8,Command not found");
}

void tst_KeyboardRequests::refusedKeys()
{
    QFETCH(bool, extendedMode);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    keys->first->setFocus();
    QSignalSpy returned(keys->first, &QLineEdit::returnPressed);
    QCOMPARE(extendedMode ? extended(request) : plain(request), reply);
    QCOMPARE(returned.count(), 0);
}

void tst_KeyboardRequests::swallowedKeyFails()
{
    // A key that no shortcut took and that the widget never received did not arrive.
    KeyEater eater;
    qApp->installEventFilter(&eater);
    const QByteArray reply = extended("23,Keys,first,," + hex("s:Return") + ",");
    qApp->removeEventFilter(&eater);
    QCOMPARE(reply, QByteArray("8,Exception : Error: widget \"first\" of class \"QLineEdit\" did "
                               "not receive a key sent to it (a shortcut or an event filter of "
                               "the application took it)"));
}

void tst_KeyboardRequests::typingIntoAWidgetWithoutProxy()
{
    const QByteArray typed = "6,Keys,canvas,," + hex("s:hi there") + ",";
    QCOMPARE(
        plain(typed),
        QByteArray("8,Exception : \"enter\" is not implemented for widget of class \"Canvas\""));
    QCOMPARE(keys->canvas->typed, QString());

    QCOMPARE(extended(typed), QByteArray("0,QWidget"));
    QCOMPARE(keys->canvas->typed, QString("hi there"));
    QVERIFY(keys->canvas->hasFocus());

    // A click does not give it the focus: nothing is typed anywhere.
    keys->first->setFocus();
    QCOMPARE(extended("6,Keys,still,," + hex("s:x") + ","),
             QByteArray("8,Exception : Error: widget \"still\" of class \"Canvas\" does not take "
                        "the keyboard focus, so its keys would go to widget \"first\" of class "
                        "\"QLineEdit\" in window \"Keys\""));
    QCOMPARE(keys->first->text(), QString());
    QCOMPARE(keys->still->typed, QString());
}

TC_TEST_MAIN(tst_KeyboardRequests)
#include "tst_keyboardrequests.moc"
