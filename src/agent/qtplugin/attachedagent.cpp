#include "attachedagent.h"

#include "attachstatus.h"
#include "headlessscreen.h"
#include "connection/testclient.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char portOption[] = "port=";
const char extendedOption[] = "extended";
const char unknownOption[] = "unknown option \"%1\" (the options are port=N and extended)";
const char badPort[] = "\"%1\" is no port from 1 to 65535";
const char notWidgetsMessage[] =
    "testclient: the application object is no QApplication; the agent attaches to Qt "
    "Widgets applications only";
const char badSpecificationMessage[] = "testclient: %s; the agent was not started";
const char createFailedMessage[] = "testclient: the agent could not be created: %s";

// The status descriptor that testclient-run named, taken over by this process: hidden
// from the application's own children. -1 when there is none, or the number does not
// name a socket (a variable inherited by some unrelated process).
int takeStatusDescriptor()
{
    const QByteArray value = qgetenv(AttachStatus::environmentVariable);
    if (value.isEmpty())
        return -1;
    qunsetenv(AttachStatus::environmentVariable);
    bool ok = false;
    const int descriptor = value.toInt(&ok);
    struct stat status;
    if (!ok || descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISSOCK(status.st_mode))
        return -1;
    ::fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    return descriptor;
}

} // namespace

AttachedAgent::AttachedAgent(const QString &specification)
{
    statusDescriptor = takeStatusDescriptor();
    report(AttachStatus::loaded, qVersion());
    parseSpecification(specification, &port, &extended, &specificationError);
    HeadlessScreen::apply();
    // Later: the application object is still being constructed.
    QTimer::singleShot(0, this, &AttachedAgent::start);
}

AttachedAgent::~AttachedAgent()
{
    stop();
    if (statusDescriptor >= 0)
        ::close(statusDescriptor);
}

TestClient *AttachedAgent::agent() const
{
    return client;
}

bool AttachedAgent::parseSpecification(const QString &specification, quint16 *port, bool *extended,
                                       QString *error)
{
    *port = TestClient::driverPort;
    *extended = false;
    const QStringList options = specification.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &option : options) {
        if (option == QLatin1String(extendedOption)) {
            *extended = true;
            continue;
        }
        if (!option.startsWith(QLatin1String(portOption))) {
            *error = QString::fromLatin1(unknownOption).arg(option);
            return false;
        }
        bool ok = false;
        const uint number = QStringView(option).mid(int(sizeof portOption) - 1).toUInt(&ok);
        if (!ok || number == 0 || number > 65535) {
            *error = QString::fromLatin1(badPort).arg(option.mid(int(sizeof portOption) - 1));
            return false;
        }
        *port = quint16(number);
    }
    return true;
}

void AttachedAgent::start()
{
    if (client)
        return;
    if (!specificationError.isEmpty()) {
        std::fprintf(stderr, badSpecificationMessage, qPrintable(specificationError));
        std::fputc('\n', stderr);
        finish(AttachStatus::badSpecification, specificationError.toUtf8());
        return;
    }
    // A QGuiApplication loads generic plug-ins too, but has no widgets to serve.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", notWidgetsMessage);
        finish(AttachStatus::notWidgets);
        return;
    }
    // Nothing may unwind into the application's event loop.
    try {
        client = new TestClient(port, extended);
    } catch (const std::exception &e) {
        std::fprintf(stderr, createFailedMessage, e.what());
        std::fputc('\n', stderr);
    } catch (...) {
        std::fprintf(stderr, createFailedMessage, "unknown exception");
        std::fputc('\n', stderr);
    }
    if (!client) {
        finish(AttachStatus::createFailed);
        return;
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &AttachedAgent::stop);
    report(AttachStatus::created);

    connect(client, &QAbstractSocket::stateChanged, this, &AttachedAgent::socketStateChanged);
    // A refusal on the loopback host can arrive before the connection above was made.
    socketStateChanged(client->state());
}

void AttachedAgent::stop()
{
    if (client)
        client->dispose();
    client = nullptr;
}

void AttachedAgent::socketStateChanged(QAbstractSocket::SocketState state)
{
    if (!client || statusDescriptor < 0)
        return;
    if (state == QAbstractSocket::ConnectedState)
        finish(AttachStatus::connected);
    else if (state == QAbstractSocket::UnconnectedState)
        finish(AttachStatus::unreachable, client->errorString().toUtf8());
}

void AttachedAgent::report(const char *word, const QByteArray &argument)
{
    if (statusDescriptor < 0)
        return;
    QByteArray line(word);
    if (!argument.isEmpty())
        line += ' ' + argument.simplified();
    line += '\n';
    // Never blocks, and a launcher that went away raises no SIGPIPE here.
    [[maybe_unused]] const ssize_t sent = ::send(statusDescriptor, line.constData(),
                                                 size_t(line.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void AttachedAgent::finish(const char *word, const QByteArray &argument)
{
    report(word, argument);
    if (statusDescriptor >= 0)
        ::close(statusDescriptor);
    statusDescriptor = -1;
}
