#include "dispatch/requestdispatcher.h"
#include "proxies/proxytable.h"
#include "proxies/framework/stapplicationproxy.h"
#include "testmain.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

class tst_WindowRequests : public QObject
{
    Q_OBJECT

public:
    QByteArray send(const QString &line) { return dispatcher.dispatch(line); }

private slots:
    void cleanup();
    void unknownCodes_data();
    void unknownCodes();
    void listWindows();
    void windowTree();
    void windowNames();
    void modalAndPopupChecks();
    void moveAndResize_data();
    void moveAndResize();
    void moveRestoresAMinimizedWindow();
    void trayIcons();

private:
    STApplicationProxy registry{agentProxyTable()};
    STApplicationProxy extendedRegistry{agentProxyTable(), WireText::Mode::Extended};
    RequestDispatcher dispatcher{&registry, -1};
    RequestDispatcher extendedDispatcher{&extendedRegistry, -1};
};

void tst_WindowRequests::cleanup()
{
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

void tst_WindowRequests::unknownCodes_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("empty line") << "";
    QTest::newRow("list windows with fields") << "1,";
    QTest::newRow("cursor record with fields") << "3,x";
    QTest::newRow("leading zero") << "05,a,b";
    QTest::newRow("unknown number") << "13";
}

void tst_WindowRequests::unknownCodes()
{
    QFETCH(QString, line);
    QCOMPARE(send(line), QByteArray("8,Command not found"));
}

void tst_WindowRequests::listWindows()
{
    QCOMPARE(send("1"), QByteArray("0,l:"));

    QMainWindow main;
    main.setWindowTitle("Editor");
    main.show();
    QDialog hidden(&main);
    hidden.setWindowTitle("Hidden");
    QDialog modal(&main);
    modal.setWindowTitle(QStringLiteral("Save \"all\""));
    modal.setModal(true);
    modal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&modal));

    const QByteArray reply = send("1");
    QVERIFY(reply.startsWith("0,l:\x0c"));
    QStringList entries = QString::fromUtf8(reply.mid(5)).split(QChar(0x0c));
    entries.sort();
    QCOMPARE(entries, (QStringList{"QDialog (M) : \"Save \"all\"\"", "QMainWindow : \"Editor\""}));
}

void tst_WindowRequests::windowTree()
{
    QWidget window;
    window.setObjectName("main");
    window.setWindowTitle("Tree");
    auto *child = new QWidget(&window);
    child->setObjectName("panel");
    auto *grandchild = new QLabel(child);
    grandchild->hide();
    window.show();

    QCOMPARE(send("2,Tree"), QByteArray("0,l:\x0c"
                                        "0 V QWidget : \"main\"\x0c"
                                        "1 V QWidget : \"panel\"\x0c"
                                        "2 N QLabel : \"\""));
    QCOMPARE(send("2,Nothing"), QByteArray("2,Window (Nothing) not found"));
}

void tst_WindowRequests::windowNames()
{
    QWidget first;
    first.setWindowTitle("Editor");
    QWidget second;
    second.setWindowTitle("Editor - 2");
    second.setObjectName("second");
    QWidget third;
    third.setWindowTitle("Editor - 3");
    first.show();
    second.show();
    third.show();

    QCOMPARE(send("8,Editor"), QByteArray("3,Window (Editor) visible,3"));
    QCOMPARE(send("8,Editor - 2"), QByteArray("0,Editor - 2"));
    QCOMPARE(send("8,editor"), QByteArray("2,Window (editor) not found"));
    QCOMPARE(send("8,Widget:second"), QByteArray("0,Editor - 2"));
    QCOMPARE(send("8,Widget:secon"), QByteArray("2,Window (Widget:secon) not found"));
    third.hide();
    QCOMPARE(send("8,Editor"), QByteArray("3,Window (Editor) visible,2"));
}

void tst_WindowRequests::modalAndPopupChecks()
{
    QMainWindow main;
    main.setWindowTitle("Main");
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(send("8,Main"), QByteArray("0,Main"));

    QDialog dialog(&main);
    dialog.setWindowTitle("Save As");
    dialog.setModal(true);
    dialog.show();
    QTRY_COMPARE(QApplication::activeModalWidget(), &dialog);
    QCOMPARE(send("8,Main"), QByteArray("4,Window (Main) not active modal"));
    QCOMPARE(send("8,Save"), QByteArray("0,Save As"));
    QCOMPARE(send("8,Widget:ActiveModalWidget:Open"),
             QByteArray("2,Window (Widget:ActiveModalWidget:Open) not found"));

    // A popup wins over the modal dialog, even for the dialog itself.
    QMenu menu(&dialog);
    menu.addAction("Item");
    menu.popup(dialog.mapToGlobal(QPoint(5, 5)));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
    QCOMPARE(send("10,Save,1,1"), QByteArray("4,Window (Save) not active popup"));
    QCOMPARE(send("8,Widget:ActivePopupWidget"), QByteArray("0,"));
    menu.close();
    dialog.close();
}

void tst_WindowRequests::moveAndResize_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size");

    const QPoint start(100, 100);
    const QSize startSize(200, 150);
    QTest::newRow("move") << false << "10,Mover,40,60" << QByteArray("0,Mover") << QPoint(40, 60)
                          << startSize;
    QTest::newRow("y is not a number")
        << false << "10,Mover,12,abc" << QByteArray("8,Type error: move or resize accepts integer")
        << start << startSize;
    QTest::newRow("decimal width")
        << false << "11,Mover,1.5,300" << QByteArray("8,Type error: move or resize accepts integer")
        << start << startSize;
    QTest::newRow("a size no screen holds")
        << false << "11,Mover,100000,100000"
        << QByteArray("8,Exception : resize accepts only sizes from 0 to 8192") << start
        << startSize;
    QTest::newRow("a negative height")
        << false << "11,Mover,300,-1"
        << QByteArray("8,Exception : resize accepts only sizes from 0 to 8192") << start
        << startSize;
    QTest::newRow("a position beyond the bound")
        << false << "10,Mover,0,-16385"
        << QByteArray("8,Exception : move accepts only positions from -16384 to 16384") << start
        << startSize;
    QTest::newRow("a zero height is taken as asked")
        << false << "11,Mover,12,0" << QByteArray("0,Mover") << start << QSize(12, 0);
    QTest::newRow("extended: a zero height is refused")
        << true << "11,Mover,12,0"
        << QByteArray("8,Exception : Error: window \"Mover\" cannot be resized to 12 x 0: a "
                      "window without width or height is taken off the screen and takes no "
                      "input (on the headless screen not even once resized back)")
        << start << startSize;
    QTest::newRow("extended: a small size is taken")
        << true << "11,Mover,1,1" << QByteArray("0,Mover") << start << QSize(1, 1);
}

void tst_WindowRequests::moveAndResize()
{
    QFETCH(bool, extended);
    QFETCH(QString, request);
    QFETCH(QByteArray, reply);
    QFETCH(QPoint, position);
    QFETCH(QSize, size);

    QWidget window;
    window.setWindowTitle("Mover");
    window.setGeometry(QRect(QPoint(100, 100), QSize(200, 150)));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint framePosition = window.pos();

    QCOMPARE(extended ? extendedDispatcher.dispatch(request) : send(request), reply);
    if (position != QPoint(100, 100))
        QTRY_COMPARE(window.pos(), position);
    else
        QCOMPARE(window.pos(), framePosition);
    QTRY_COMPARE(window.size(), size);
}

void tst_WindowRequests::moveRestoresAMinimizedWindow()
{
    QWidget window;
    window.setWindowTitle("Small");
    window.resize(100, 100);
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    QCOMPARE(send("11,Small,640,480"), QByteArray("0,Small"));
    QTRY_VERIFY(!window.isMinimized());
    QTRY_COMPARE(window.size(), QSize(640, 480));
}

void tst_WindowRequests::trayIcons()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    const QIcon icon(pixmap);
    QWidget window;
    auto *hidden = new QSystemTrayIcon(&window);
    hidden->setObjectName("hiddenTray");
    hidden->setIcon(icon);
    QCOMPARE(send("12,,hiddenTray"), QByteArray("6,Object (hiddenTray) not visible"));
    QCOMPARE(send("12,,noTray"), QByteArray("2,Object (noTray) not found"));

    auto *first = new QSystemTrayIcon(qApp);
    first->setObjectName("tray");
    auto *second = new QSystemTrayIcon(qApp);
    second->setObjectName("tray");
    first->setIcon(icon);
    second->setIcon(icon);
    first->show();
    second->show();
    QCOMPARE(send("12,,tray"), QByteArray("7,Object (tray) visible,2"));
    delete second;
    // Without a system tray the icon has no geometry to report.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        QCOMPARE(send("12,ignored,tray"), QByteArray("8,Exception : Rectangle not defined"));
    else
        QVERIFY(send("12,ignored,tray").startsWith("0,r:"));
    delete first;
}

TC_TEST_MAIN(tst_WindowRequests)
#include "tst_windowrequests.moc"
