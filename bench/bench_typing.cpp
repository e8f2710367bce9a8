// bench_typing: what a long enter request costs, and how much of it is the widget's own.
// For each of QLineEdit, QPlainTextEdit and QTextEdit and 1,000, 5,000 and 10,000 characters
// it times the enter request through the registry, as the dispatcher runs it, then the same
// characters handed straight to the widget as key events (the widget's own cost of taking
// the keys, without painting or the event loop), and then those keys with the application's
// events run after each one, painting held as the request holds it: what the widget does
// for a person typing at that speed, its deferred work (scroll bars, layouts) included. The
// request less that last figure is the agent's: posting, the arrival checks, the focus.
// Milliseconds of this thread's CPU time (other processes on a shared machine do not
// count), one run each.

#include "proxies/framework/stapplicationproxy.h"
#include "proxies/proxytable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QVector>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

// Ordinary prose, so that text widgets lay out words and lines as they would a user's.
QString text(int length)
{
    const QString words = QStringLiteral("the quick brown fox jumps over the lazy dog ");
    QString result;
    while (result.size() < length)
        result += words;
    return result.left(length);
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double msOf(const std::function<void()> &work)
{
    const double start = threadCpuMs();
    work();
    QCoreApplication::processEvents();
    return threadCpuMs() - start;
}

// Holds a window's paint requests while it lives, as the agent does while it types.
class PaintHold : public QObject
{
public:
    explicit PaintHold(QWidget *window) : window(window) { window->installEventFilter(this); }
    ~PaintHold() override { window->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::UpdateRequest;
    }

private:
    QWidget *window;
};

void typeDirectly(QWidget *widget, const QString &typed, bool withEvents)
{
    const PaintHold hold(widget->window());
    for (const QChar c : typed) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
        if (withEvents)
            QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    QLineEdit line;
    QPlainTextEdit plain;
    QTextEdit rich;
    rich.setAcceptRichText(false);
    QWidget *editors[] = {&line, &plain, &rich};
    const auto clear = [&] {
        line.clear();
        plain.clear();
        rich.clear();
    };
    for (QWidget *editor : editors)
        layout->addWidget(editor);
    window.resize(600, 400);
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();

    // bench_typing N...: other lengths (a quick look, a profile).
    QVector<int> lengths{1000, 5000, 10000};
    if (argc > 1)
        lengths.clear();
    for (int i = 1; i < argc; ++i)
        lengths.append(QString::fromLocal8Bit(argv[i]).toInt());
    STApplicationProxy registry{agentProxyTable()};
    std::printf("%-16s %7s %12s %12s %12s %12s\n", "typing into", "chars", "request ms", "keys ms",
                "+events ms", "agent ms");
    for (QWidget *editor : editors) {
        for (const int length : lengths) {
            const QString typed = text(length);
            clear();
            const double request = msOf(
                [&] { registry.act(STApplicationProxy::Action::Enter, editor, QString(), typed); });
            clear();
            editor->setFocus();
            const double alone = msOf([&] { typeDirectly(editor, typed, false); });
            clear();
            editor->setFocus();
            const double withEvents = msOf([&] { typeDirectly(editor, typed, true); });
            std::printf("%-16s %7d %12.1f %12.1f %12.1f %12.1f\n",
                        editor->metaObject()->className(), length, request, alone, withEvents,
                        request - withEvents);
            std::fflush(stdout);
        }
    }
    return 0;
}
