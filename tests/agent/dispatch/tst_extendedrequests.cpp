#include "dispatch/requestdispatcher.h"
#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"
#include "testmain.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QByteArray hex(const QString &text)
{
    return text.toUtf8().toHex();
}

// A window "Größe" as code builds it: no object names anywhere.
struct Sizes
{
    Sizes()
    {
        window.setWindowTitle(QString::fromUtf8("Gr\u00f6\u00dfe"));
        auto *layout = new QVBoxLayout(&window);
        auto *label = new QLabel("&Width:");
        width = new QLineEdit;
        label->setBuddy(width);
        layout->addWidget(label);
        layout->addWidget(width);
        height = new QLineEdit;
        layout->addWidget(height);
        apply = new QPushButton("Apply");
        layout->addWidget(apply);
        window.show();
    }
    QWidget window;
    QLineEdit *width;
    QLineEdit *height;
    QPushButton *apply;
};

} // namespace

class tst_ExtendedRequests : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void plainProtocolKnowsNothingOfIt_data();
    void plainProtocolKnowsNothingOfIt();
    void selectorsDriveAndRead();
    void repliesStayOneLine_data();
    void repliesStayOneLine();
    void badSelectorsAreNamed();
    void itemRectanglesShowWhereItemsAre();
    void listingsAreQJsonDocumentsBytes();

private:
    QByteArray plain(const QByteArray &line)
    {
        return plainDispatcher.dispatch(QString::fromUtf8(line));
    }
    QByteArray extended(const QByteArray &line)
    {
        return extendedDispatcher.dispatch(QString::fromUtf8(line));
    }

    STApplicationProxy plainRegistry{agentProxyTable()};
    STApplicationProxy extendedRegistry{agentProxyTable(), WireText::Mode::Extended};
    RequestDispatcher plainDispatcher{&plainRegistry, -1};
    RequestDispatcher extendedDispatcher{&extendedRegistry, -1};
    std::unique_ptr<Sizes> sizes;
};

void tst_ExtendedRequests::init()
{
    sizes.reset(new Sizes);
    QVERIFY(QTest::qWaitForWindowExposed(&sizes->window));
}

void tst_ExtendedRequests::plainProtocolKnowsNothingOfIt_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("window listing") << QByteArray("20") << QByteArray("8,Command not found");
    QTest::newRow("widget listing") << QByteArray("21,Gr") << QByteArray("8,Command not found");
    QTest::newRow("grab") << QByteArray("22,Gr,") << QByteArray("8,Command not found");
    for (const char *recording : {"24", "25", "26"})
        QTest::addRow("recording request %s", recording)
            << QByteArray(recording) << QByteArray("8,Command not found");
    QTest::newRow("malformed selector as a path")
        << QByteArray("7,Gr,{QPushButton,,text,")
        << QByteArray("5,Widget ({QPushButton) not found");
    QTest::newRow("selector as a window")
        << QByteArray("8,{QWidget}") << QByteArray("2,Window ({QWidget}) not found");
}

void tst_ExtendedRequests::plainProtocolKnowsNothingOfIt()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QCOMPARE(plain(request), reply);
}

void tst_ExtendedRequests::selectorsDriveAndRead()
{
    // A label names the widget it is the buddy of, wherever the layout puts it.
    QCOMPARE(extended("6,Gr,{QLineEdit label=Width:},," + hex("s:640") + ","),
             QByteArray("0,QLineEdit"));
    QCOMPARE(sizes->width->text(), QString("640"));
    // The plain protocol's paths are unchanged in the extended mode.
    QCOMPARE(extended("7,Gr,Apply_dialog_button,,text,"), plain("7,Gr,Apply_dialog_button,,text,"));
    sizes->apply->hide();
    QCOMPARE(extended("5,Gr,{QPushButton text=Apply},,,"),
             QByteArray("6,Widget ({QPushButton text=Apply}) not visible"));
    // Reading is no action: a hidden widget's properties can be read, "visible" above all,
    // and so can the focus widget's.
    QCOMPARE(extended("7,Gr,{QPushButton text=Apply},,visible,"), QByteArray("0,b:false"));
    QCOMPARE(plain("7,Gr,Apply_dialog_button,,visible,"),
             QByteArray("6,Widget (Apply_dialog_button) not visible"));
    sizes->height->setFocus();
    sizes->height->setText("480");
    QTRY_COMPARE(extended("7,Gr,FocusWidget,,text,"), "0,u:" + hex("480"));
    QCOMPARE(plain("7,Gr,FocusWidget,,text,"), QByteArray("5,Widget (FocusWidget) not found"));
    // The window's focus widget even while another window is active (or none, as for a
    // program's main window under Xvfb without a window manager): typing activates it first.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    QCOMPARE(extended("7,Gr,FocusWidget,,text,"), "0,u:" + hex("480"));
    QCOMPARE(extended("6,Gr,FocusWidget,," + hex("s:720") + ","), QByteArray("0,QLineEdit"));
    QCOMPARE(sizes->height->text(), QString("720"));
}

void tst_ExtendedRequests::repliesStayOneLine_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("plainReply");
    QTest::addColumn<QByteArray>("extendedReply");
    const QByteArray unknownItem = "8,Exception : activate, QComboBox unknown item ";
    QTest::newRow("a value echoed in a message")
        << "5,Gr,colour,," + hex("s:No\nSuch\rColour") + "," << unknownItem + "No\nSuch\rColour"
        << unknownItem + "No\\nSuch\\rColour";
    // The plain protocol's messages end at a NUL, as C strings do.
    QTest::newRow("a NUL in a value") << "5,Gr,colour,," + hex("s:Cut") + "00" + hex("here") + ","
                                      << unknownItem + "Cut" << unknownItem + "Cut\\0here";
    QTest::newRow("the request's own path echoed")
        << QByteArray("7,Gr,Line\rFeed\\n,,text,")
        << QByteArray("5,Widget (Line\rFeed\\n) not found")
        << QByteArray("5,Widget (Line\\rFeed\\n) not found");
    // A fragment that starts with "0," must not read as the success of the next request.
    QTest::newRow("keys that name no key")
        << "23,Gr,,," + hex("s:Foo\n0,bar") + "," << QByteArray("8,Command not found")
        << QByteArray("8,Exception : Error: unknown key \"Foo\\n0\" in \"Foo\\n0,bar\"");
}

void tst_ExtendedRequests::repliesStayOneLine()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, plainReply);
    QFETCH(QByteArray, extendedReply);
    auto *colour = new QComboBox;
    colour->setObjectName("colour");
    colour->addItem("Red");
    sizes->window.layout()->addWidget(colour);
    colour->show();
    QCOMPARE(plain(request), plainReply);
    QCOMPARE(extended(request), extendedReply);
}

void tst_ExtendedRequests::badSelectorsAreNamed()
{
    QCOMPARE(extended("7,Gr,{QPushButton text='Apply},,text,"),
             QByteArray("8,Exception : Selector {QPushButton text='Apply} has a quote that is "
                        "not closed"));
    QCOMPARE(extended("21,{nth=x}"),
             QByteArray("8,Exception : Selector {nth=x} needs nth=N with N from 1"));
}

// "itemGlobalRect" exists in the extended mode only; its centre is a point on the item.
void tst_ExtendedRequests::itemRectanglesShowWhereItemsAre()
{
    QWidget window;
    window.setWindowTitle("Items");
    auto *layout = new QVBoxLayout(&window);
    auto *bar = new QMenuBar;
    bar->setObjectName("bar");
    QMenu *file = bar->addMenu("&File");
    file->addAction("Open");
    QAction *save = file->addAction("Save");
    layout->setMenuBar(bar);
    auto *list = new QListWidget;
    list->setObjectName("list");
    list->addItems({"one", "two", "three"});
    auto *tree = new QTreeWidget;
    tree->setObjectName("tree");
    auto *parent = new QTreeWidgetItem(tree, {"parent"});
    auto *child = new QTreeWidgetItem(parent, {"child"});
    tree->expandAll();
    auto *table = new QTableWidget(3, 3);
    table->setObjectName("table");
    auto *tabs = new QTabWidget;
    tabs->setObjectName("tabs");
    tabs->addTab(new QWidget, "First");
    tabs->addTab(new QWidget, "Second");
    for (QWidget *widget : {static_cast<QWidget *>(list), static_cast<QWidget *>(tree),
                            static_cast<QWidget *>(table), static_cast<QWidget *>(tabs)})
        layout->addWidget(widget);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const auto centre = [this](const QByteArray &path, const QByteArray &item) {
        const QByteArray reply = extended("7,Items," + path + ",,itemGlobalRect,s:" + item);
        const QList<QByteArray> edges = reply.mid(4).split(',');
        if (!reply.startsWith("0,r:") || edges.size() != 4)
            return QPoint(-1, -1);
        return QRect(QPoint(edges[0].toInt(), edges[1].toInt()),
                     QPoint(edges[2].toInt(), edges[3].toInt()))
            .center();
    };
    const auto at = [](QAbstractItemView *view, QPoint global) {
        return view->indexAt(view->viewport()->mapFromGlobal(global));
    };
    QCOMPARE(at(list, centre("list", "two")), list->model()->index(1, 0));
    QCOMPARE(tree->itemAt(tree->viewport()->mapFromGlobal(centre("tree", "parent/child"))), child);
    QCOMPARE(at(table, centre("table", "2:3")), table->model()->index(1, 2));
    const QTabBar *tabBar = tabs->findChild<QTabBar *>();
    QCOMPARE(tabBar->tabAt(tabBar->mapFromGlobal(centre("tabs", "Second"))), 1);
    QCOMPARE(bar->actionAt(bar->mapFromGlobal(centre("bar", "File"))), file->menuAction());
    // A closed menu's items show nowhere; an open one's where the menu draws them.
    QCOMPARE(extended("7,Items,bar,,itemGlobalRect,s:File/Save"), QByteArray("0,r:0,0,-1,-1"));
    file->popup(bar->mapToGlobal(bar->actionGeometry(file->menuAction()).bottomLeft()));
    QVERIFY(QTest::qWaitForWindowExposed(file));
    QCOMPARE(file->actionAt(file->mapFromGlobal(centre("bar", "File/Save"))), save);
    file->hide();

    QCOMPARE(extended("7,Items,list,,itemGlobalRect,s:four"),
             plain("7,Items,list,,itemIsSelected,s:four"));
    QCOMPARE(plain("7,Items,list,,itemGlobalRect,s:two"),
             QByteArray("8,Exception : Unknown property \"itemGlobalRect\"."));
    QVERIFY(!plain("7,Items,list,,pseudoPropertyNames,").contains("itemGlobalRect"));
    QVERIFY(extended("7,Items,list,,pseudoPropertyNames,").contains("itemGlobalRect"));
}

// The listings are written in one pass: their bytes must stay those QJsonDocument writes.
void tst_ExtendedRequests::listingsAreQJsonDocumentsBytes()
{
    const QString awkward = QString::fromUtf8("say \"C:\\\" \t\x1b Gr\u00f6\u00dfe \U0001F44D");
    const QByteArray written = QJsonDocument(QJsonArray{awkward}).toJson(QJsonDocument::Compact);
    sizes->window.setObjectName(awkward);
    sizes->apply->setObjectName(awkward);
    sizes->apply->setText(awkward);
    for (const QByteArray &request : {QByteArray("20"), QByteArray("21,Gr")}) {
        const QByteArray json = extended(request).mid(4);
        QCOMPARE(QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact), json);
        QVERIFY(json.contains(written.mid(1).chopped(1)));
    }
}

TC_TEST_MAIN(tst_ExtendedRequests)
#include "tst_extendedrequests.moc"
