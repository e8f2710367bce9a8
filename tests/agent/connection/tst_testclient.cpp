// The agent's connection: replies that outgrow what the kernel takes at once.

#include "connection/testclient.h"
#include "testmain.h"

#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>

class tst_TestClient : public QObject
{
    Q_OBJECT

private slots:
    void repliesPastTheKernelsBufferStayWholeAndInOrder();
};

void tst_TestClient::repliesPastTheKernelsBufferStayWholeAndInOrder()
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Replies"));
    for (int i = 0; i < 2000; ++i)
        (new QLabel(&window))->setObjectName(QStringLiteral("label%1").arg(i));
    window.show();

    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    TestClient client(server.serverPort());
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *driver = server.nextPendingConnection();
    QTRY_VERIFY(driver->canReadLine());
    driver->readLine();

    driver->write("2,Replies\n");
    QTRY_VERIFY(driver->canReadLine());
    const QByteArray tree = driver->readLine();
    QVERIFY(tree.startsWith("0,l:\f0 V QWidget"));

    // A driver slow to read: it takes in nothing while the agent answers more requests than
    // the kernel holds (on Linux at most a few megabytes), so one reply is taken in part and
    // the rest wait in the agent. Then everything must arrive whole, once, in order.
    driver->setReadBufferSize(1);
    const int rounds = 16 * 1024 * 1024 / tree.size();
    driver->write(QByteArray("2,Replies\n8,Replies\n").repeated(rounds));
    QTRY_VERIFY_WITH_TIMEOUT(client.bytesToWrite() > 0, 20000);
    driver->setReadBufferSize(0);
    const QByteArray expected = (tree + "0,Replies\n").repeated(rounds);
    QTRY_VERIFY_WITH_TIMEOUT(driver->bytesAvailable() >= expected.size(), 20000);
    QVERIFY(driver->readAll() == expected);
}

TC_TEST_MAIN(tst_TestClient)
#include "tst_testclient.moc"
