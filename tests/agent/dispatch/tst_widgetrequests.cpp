#include "dispatch/requestdispatcher.h"
#include "proxies/proxytable.h"
#include "proxies/framework/stapplicationproxy.h"
#include "testmain.h"

#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray(text).toHex();
}

QByteArray pid()
{
    return QByteArray::number(QCoreApplication::applicationPid());
}

// A window titled "Form" holding a frame with an OK button, a check box and a line edit.
struct Form
{
    Form()
    {
        window.setObjectName("form");
        window.setWindowTitle("Form");
        auto *layout = new QVBoxLayout(&window);
        frame = new QWidget;
        frame->setObjectName("frame");
        auto *inner = new QVBoxLayout(frame);
        ok = new QPushButton("&OK");
        ok->setObjectName("ok");
        inner->addWidget(ok);
        check = new QCheckBox("Check me");
        check->setObjectName("check");
        inner->addWidget(check);
        edit = new QLineEdit("ab");
        edit->setObjectName("edit");
        edit->setFont(QFont("Sans Serif", 9));
        inner->addWidget(edit);
        cancel = new QPushButton("&Cancel");
        inner->addWidget(cancel);
        combo = new QComboBox;
        combo->setObjectName("combo");
        combo->addItems({"Red", "Green", "Blue"});
        inner->addWidget(combo);
        layout->addWidget(frame);
        window.show();
    }
    QWidget window;
    QWidget *frame;
    QPushButton *ok;
    QCheckBox *check;
    QLineEdit *edit;
    QPushButton *cancel;
    QComboBox *combo;
};

} // namespace

class tst_WidgetRequests : public QObject
{
    Q_OBJECT

public:
    QByteArray send(const QByteArray &line) { return dispatcher.dispatch(QString::fromUtf8(line)); }

private slots:
    void cleanup();
    void pointingFindsObjectNamesOnly();
    void propertyReads_data();
    void propertyReads();
    void classHints();
    void pointThenDescribe();
    void recordInAModalDialog();
    void viewportIsReportedAsItsView();
    void nothingUnderTheCursor();
    void popupRecord();
    void popupWindowChecks();
    void comboBoxTypedValues_data();
    void comboBoxTypedValues();

private:
    STApplicationProxy registry{agentProxyTable()};
    RequestDispatcher dispatcher{&registry, -1};
};

void tst_WidgetRequests::cleanup()
{
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void tst_WidgetRequests::pointingFindsObjectNamesOnly()
{
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    // Request 4 finds widgets by object name only, not by made-up names.
    QCOMPARE(send("4,Form,Cancel_dialog_button"),
             QByteArray("5,Widget (Cancel_dialog_button) not found"));
    QCOMPARE(send("7,Form,Cancel_dialog_button,,text,"), QByteArray("0,u:") + hex("Cancel"));
}

void tst_WidgetRequests::propertyReads_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("string with an ignored parameter")
        << QByteArray("7,Form,edit,,text,s:zz") << QByteArray("0,u:6162");
    QTest::newRow("button text without mnemonic")
        << QByteArray("7,Form,frame/ok,,text,") << QByteArray("0,u:") + hex("OK");
    // A font reads as QFont::toString(), which Qt 6 writes with weights on the 100-900
    // scale and six fields more.
    QTest::newRow("font") << QByteArray("7,Form,edit,,font,")
                          << QByteArray("0,u:") +
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
                                 hex("Sans Serif,9,-1,5,400,0,0,0,0,0,0,0,0,0,0,1");
#else
                                 hex("Sans Serif,9,-1,5,50,0,0,0,0,0");
#endif
    // Sizes and points travel as text, and QVariant has none for them.
    QTest::newRow("size") << QByteArray("7,Form,edit,,minimumSize,") << QByteArray("0,u:");
    QTest::newRow("unsupported type")
        << QByteArray("7,Form,edit,,sizePolicy,") << QByteArray("8,Property type not supported");
}

void tst_WidgetRequests::propertyReads()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QCOMPARE(send(request), reply);
}

void tst_WidgetRequests::classHints()
{
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QCOMPARE(send("5,Form,ok,QLabel,,"),
             QByteArray("8,Exception : Widget is not derived from class QLabel"));
    QCOMPARE(send("5,Form,ok,QAbstractButton,,"), QByteArray("0,QAbstractButton"));
}

void tst_WidgetRequests::pointThenDescribe()
{
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QCOMPARE(send("4,Form,ok"), QByteArray("0,QPushButton"));
    QCOMPARE(send("3"),
             "?,QPushButton,1,1,form/frame/ok,form," + hex("Form") + "," + pid() + ",-1");

    // A widget without a name is described by its made-up name, which addresses it again.
    QCursor::setPos(form.cancel->mapToGlobal(QPoint(2, 2)));
    const QByteArray record = send("3");
    QCOMPARE(record, "?,QPushButton,1,1,form/frame/Cancel_dialog_button,form," + hex("Form") + "," +
                         pid() + ",-1");
    QCOMPARE(send("7,Form,form/frame/Cancel_dialog_button,,className,"),
             QByteArray("0,u:") + hex("QPushButton"));
}

void tst_WidgetRequests::recordInAModalDialog()
{
    // A modal dialog without an object name is named by its modality; of two widgets
    // sharing a name, the hidden one is listed but not counted as visible.
    QDialog dialog;
    dialog.setWindowTitle("Ask");
    dialog.setModal(true);
    auto *layout = new QVBoxLayout(&dialog);
    auto *yes = new QPushButton("Yes");
    auto *no = new QPushButton("No");
    yes->setObjectName("answer");
    no->setObjectName("answer");
    layout->addWidget(yes);
    layout->addWidget(no);
    no->hide();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCursor::setPos(yes->mapToGlobal(QPoint(2, 2)));
    QCOMPARE(send("3"), "?,QPushButton,2,1,unnamed/answer,ActiveModalWidget," + hex("Ask") + "," +
                            pid() + ",-1");
}

void tst_WidgetRequests::viewportIsReportedAsItsView()
{
    QWidget window;
    window.setObjectName("win");
    window.setWindowTitle("Trees");
    auto *layout = new QVBoxLayout(&window);
    auto *tree = new QTreeWidget;
    tree->setObjectName("tree");
    layout->addWidget(tree);
    window.resize(300, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCursor::setPos(tree->viewport()->mapToGlobal(tree->viewport()->rect().center()));
    QCOMPARE(send("3"), "?,QTreeView,1,1,win/tree,win," + hex("Trees") + "," + pid() + ",-1");
}

void tst_WidgetRequests::nothingUnderTheCursor()
{
    QCursor::setPos(-5000, -5000);
    QCOMPARE(send("3"), QByteArray("?,,,,,,"));
}

void tst_WidgetRequests::popupRecord()
{
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QMenu menu(&form.window);
    menu.setObjectName("contextMenu");
    menu.addAction("First");
    menu.popup(form.window.mapToGlobal(QPoint(10, 10)));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
    QCursor::setPos(menu.mapToGlobal(menu.rect().center()));

    const QByteArray record = send("3");
    menu.close();
    // A menu is described as the active popup, whatever its own path would be.
    QCOMPARE(record, "?,QMenu,1,1,ActivePopupWidget,contextMenu," +
                         hex("Widget:ActivePopupWidget") + "," + pid() + ",-1");
}

void tst_WidgetRequests::popupWindowChecks()
{
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QWidget other;
    other.setWindowTitle("Other");
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    form.window.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &form.window);

    QMenu menu(&form.window);
    menu.addAction("First");
    menu.popup(form.window.mapToGlobal(QPoint(10, 10)));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);

    QCOMPARE(send("7,Other,,,windowTitle,"), QByteArray("0,u:") + hex("Other"));
    QCOMPARE(send("6,Other,,,,"), QByteArray("4,Window (Other) not active popup"));
    QCOMPARE(
        send("5,Form,ActivePopupWidget,QWidget,,"),
        QByteArray("8,Exception : \"activate\" is not implemented for widget of class \"QMenu\""));
    // The mouse request passes the window check with any window while a popup is open.
    QCOMPARE(send("9,Other,unnamed,," + hex("s:NoSuchType") + ","),
             QByteArray("8,Exception : \"NoSuchType\"-Type is not implemented"));
    menu.close();
}

void tst_WidgetRequests::comboBoxTypedValues_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray typeError = "8,Exception : Type error: object \"combo\" of class "
                                 "\"QComboBox\" accepts string, integer.";
    QTest::newRow("b: is neither") << "5,Form,combo,," + hex("b:true") + "," << typeError;
    QTest::newRow("i: with bad digits is no value")
        << "5,Form,combo,," + hex("i:4x2") + "," << typeError;
    QTest::newRow("item list") << QByteArray("7,Form,combo,,itemList,")
                               << QByteArray("0,l:\fRed\fGreen\fBlue");
}

// Values the combo box does not take leave its choice alone.
void tst_WidgetRequests::comboBoxTypedValues()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    Form form;
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    QCOMPARE(send(request), reply);
    QTRY_VERIFY(!form.combo->view()->isVisible());
    QCOMPARE(form.combo->currentText(), QString("Red"));
}

TC_TEST_MAIN(tst_WidgetRequests)
#include "tst_widgetrequests.moc"
