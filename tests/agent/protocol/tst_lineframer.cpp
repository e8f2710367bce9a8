#include "protocol/lineframer.h"

#include <QtTest>

// Feeds byte chunks and expects the lines in order; "#" stands for an overlong line.
class tst_LineFramer : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
    void overlongLineIsDroppedAsItArrives();
};

void tst_LineFramer::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("pending");

    using L = QList<QByteArray>;
    QTest::newRow("LF and CR LF both end a line") << L{"1\n2,a\r\n"} << L{"1", "2,a"} << 0;
    QTest::newRow("a line split anywhere is joined")
        << L{"7,Win", "dow,pa", "th\n"} << L{"7,Window,path"} << 0;
    QTest::newRow("a CR alone stays in the line") << L{"a\rb\n"} << L{"a\rb"} << 0;
    QTest::newRow("the empty line is a line") << L{"\n\r\n"} << L{"", ""} << 0;
    QTest::newRow("a partial line waits") << L{"1\n2"} << L{"1"} << 1;
    QTest::newRow("NUL and binary bytes are kept")
        << L{QByteArray("\x00\xff\n", 3)} << L{QByteArray("\x00\xff", 2)} << 0;
    QTest::newRow("a line beyond the limit in one chunk is overlong")
        << L{QByteArray(LineFramer::maxLineLength + 1, 'a') + "\n1\n"} << L{"#", "1"} << 0;
    QTest::newRow("a line at the limit is kept")
        << L{QByteArray(LineFramer::maxLineLength, 'a') + "\n"}
        << L{QByteArray(LineFramer::maxLineLength, 'a')} << 0;
}

void tst_LineFramer::framing()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, pending);

    LineFramer framer;
    QList<QByteArray> taken;
    for (const QByteArray &chunk : chunks) {
        framer.append(chunk);
        QByteArray line;
        for (LineFramer::Result r; (r = framer.takeLine(&line)) != LineFramer::Result::NoLine;)
            taken << (r == LineFramer::Result::OverlongLine ? QByteArray("#") : line);
    }
    QCOMPARE(taken, lines);
    QCOMPARE(framer.pendingBytes(), pending);
}

void tst_LineFramer::overlongLineIsDroppedAsItArrives()
{
    LineFramer framer;
    QByteArray line;
    const QByteArray chunk(256 * 1024, 'x');
    for (int i = 0; i < 40; ++i) {
        framer.append(chunk);
        QCOMPARE(framer.takeLine(&line), LineFramer::Result::NoLine);
        QVERIFY(framer.pendingBytes() <= LineFramer::maxLineLength + chunk.size());
    }
    framer.append("tail\n8,x\n");
    QCOMPARE(framer.takeLine(&line), LineFramer::Result::OverlongLine);
    QCOMPARE(framer.takeLine(&line), LineFramer::Result::Line);
    QCOMPARE(line, QByteArray("8,x"));
}

QTEST_APPLESS_MAIN(tst_LineFramer)
#include "tst_lineframer.moc"
