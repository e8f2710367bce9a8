// Feeds arbitrary bytes to the agent's request path: the line framer that cuts the
// driver's byte stream into lines and the dispatcher that answers each one, against a
// live window of the controls the proxies drive (offscreen platform).
//
// Each input is a byte stream as a driver might send it. Its first byte picks how the
// stream is cut into reads (anywhere, down to single bytes) and whether an overlong line
// precedes it; the rest is the stream itself: CR and LF, NUL, invalid UTF-8 and huge
// fields all come from the fuzzer. For every input the agent must not crash or hang,
// and it must answer every complete line (every LF) with exactly one well-formed reply,
// which in the extended mode holds no line feed, carriage return or NUL.

#include "dispatch/requestdispatcher.h"
#include "proxies/proxytable.h"
#include "protocol/lineframer.h"
#include "protocol/replyline.h"
#include "proxies/framework/stapplicationproxy.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QIntValidator>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

struct Harness
{
    Harness()
    {
        window.setWindowTitle(QStringLiteral("Fuzz Target"));
        window.setObjectName(QStringLiteral("fuzz"));
        auto *layout = new QVBoxLayout(&window);
        auto add = [layout](QWidget *widget, const char *name) {
            widget->setObjectName(QLatin1String(name));
            layout->addWidget(widget);
            return widget;
        };
        add(new QLineEdit, "name");
        static_cast<QLineEdit *>(add(new QLineEdit, "number"))
            ->setValidator(new QIntValidator(0, 999, &window));
        static_cast<QLineEdit *>(add(new QLineEdit, "locked"))->setReadOnly(true);
        add(new QTextEdit, "notes");
        add(new QSpinBox, "count");
        add(new QDoubleSpinBox, "ratio");
        add(new QSlider(Qt::Horizontal), "level");
        add(new QDateEdit, "date");
        add(new QCheckBox(QStringLiteral("&Agree")), "agree");
        auto *apply =
            static_cast<QPushButton *>(add(new QPushButton(QStringLiteral("Apply")), "apply"));
        auto *status = static_cast<QLabel *>(add(new QLabel, "status"));
        QObject::connect(apply, &QPushButton::clicked, status,
                         [status] { status->setText(status->text() + QLatin1Char('.')); });
        auto *box =
            static_cast<QGroupBox *>(add(new QGroupBox(QStringLiteral("Options")), "options"));
        box->setCheckable(true);
        new QCheckBox(QStringLiteral("Inner"), box);
        window.setGeometry(50, 50, 400, 600);
        window.show();

        // Context menus and other popups run loops of their own until closed; a user
        // would close them, and so does this timer, so that the fuzzer can go on.
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        closer.start();
    }

    QWidget window;
    QTimer closer;
};

Harness *harness = nullptr;

[[noreturn]] void fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "fuzz_requests: %s: %s\n", what, detail.left(200).toHex().constData());
    std::abort();
}

bool wellFormed(const QByteArray &reply, bool extended)
{
    static const char statuses[] = "0?2345678";
    if (reply.size() < 2 || reply.at(1) != ',' || !std::strchr(statuses, reply.at(0)))
        return false;
    // The extended mode escapes what would break its line, whatever the texts hold.
    if (extended && (reply.contains('\n') || reply.contains('\r') || reply.contains('\0')))
        return false;
    // The extended mode's listings are one line of JSON, whatever the texts hold.
    if (reply.startsWith("0,j:"))
        return !reply.contains('\n') && !QJsonDocument::fromJson(reply.mid(4)).isNull();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_requests";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own statics may already be gone.
    new QApplication(argc, argv);
    harness = new Harness;
    // Fonts and their caches load on first use and stay for good; load them now, so
    // that the leak check of the first input does not count them.
    harness->window.grab();
    QCoreApplication::processEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), int(size - 1));
    LineFramer framer;
    // Bit 6 of the mode byte: the extended mode (selectors, listings, screenshots).
    const bool extended = (mode & 0x40) != 0;
    STApplicationProxy registry{agentProxyTable(),
                                extended ? WireText::Mode::Extended : WireText::Mode::Plain};
    RequestDispatcher dispatcher{&registry, -1};
    if (mode & 0x80) {
        // An overlong line, ended (or not) by the stream that follows.
        framer.append(QByteArray(LineFramer::maxLineLength + 1, 'x'));
        QByteArray none;
        if (framer.takeLine(&none) != LineFramer::Result::NoLine)
            fail("an unended line was handed out", none);
        if (framer.pendingBytes() > 0)
            fail("an overlong line was kept", QByteArray::number(framer.pendingBytes()));
    }

    std::minstd_rand cuts(mode);
    const int longestRead = 1 << ((mode & 0x07) + 1); // 2 to 256 bytes per read
    int replies = 0;
    for (int at = 0; at < stream.size();) {
        const int read = std::min(int(cuts() % longestRead) + 1, stream.size() - at);
        framer.append(stream.mid(at, read));
        at += read;
        QByteArray line;
        for (LineFramer::Result taken;
             (taken = framer.takeLine(&line)) != LineFramer::Result::NoLine;) {
            const QByteArray reply = taken == LineFramer::Result::OverlongLine
                                         ? Reply::commandNotFound()
                                         : dispatcher.dispatch(QString::fromUtf8(line));
            if (!wellFormed(reply, extended))
                fail("malformed reply", reply);
            ++replies;
        }
        if (framer.pendingBytes() > LineFramer::maxLineLength + read)
            fail("framer holds too much", QByteArray::number(framer.pendingBytes()));
    }
    if (replies != stream.count('\n'))
        fail("replies and complete lines differ", QByteArray::number(replies));

    // Let what the last request queued run. The registry goes with the input, and with it
    // any button a press left held: one input does not leave a drag behind for the next.
    QCoreApplication::processEvents();
    return 0;
}
