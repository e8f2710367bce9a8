// testclient-host: a Qt Widgets application that loads a plug-in the way the real host
// does: dlopen the library, ZuCreate once the application runs and its main window is
// shown, ZuDestroy before exit.

#include "gallerywindow.h"
#include "idllinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

#include <cstdio>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSocketNotifier>
#include <csignal>
#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using CreateFunction = IDllInstance *(*)(const char16_t *);
using DestroyFunction = void (*)(IDllInstance *);

struct Plugin
{
    void *handle = nullptr;
    CreateFunction create = nullptr;
    DestroyFunction destroy = nullptr;
};

Plugin loadPlugin(const QString &path)
{
    Plugin plugin;
#ifdef Q_OS_WIN
    HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t *>(path.utf16()));
    plugin.handle = module;
    if (module) {
        plugin.create = reinterpret_cast<CreateFunction>(GetProcAddress(module, "ZuCreate"));
        plugin.destroy = reinterpret_cast<DestroyFunction>(GetProcAddress(module, "ZuDestroy"));
    }
#else
    plugin.handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!plugin.handle) {
        std::fprintf(stderr, "testclient-host: %s\n", dlerror());
        return plugin;
    }
    plugin.create = reinterpret_cast<CreateFunction>(dlsym(plugin.handle, "ZuCreate"));
    plugin.destroy = reinterpret_cast<DestroyFunction>(dlsym(plugin.handle, "ZuDestroy"));
#endif
    return plugin;
}

#ifndef Q_OS_WIN
// SIGTERM and SIGINT end the event loop normally, so the plug-in is destroyed through
// ZuDestroy as on a user's quit. The handler only writes to a socket pair; the GUI thread
// reads it through a notifier.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

void quitOnSignals(QApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("testclient-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host application for the TestClient agent."));
    parser.addHelpOption();
    QCommandLineOption pluginOption(
        QStringLiteral("agent"),
        QStringLiteral("Agent plug-in library to load (ZuCreate/ZuDestroy)."),
        QStringLiteral("path"));
    QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                 QStringLiteral("Quit after this many seconds (0: never)."),
                                 QStringLiteral("seconds"), QStringLiteral("0"));
    parser.addOption(pluginOption);
    parser.addOption(quitAfter);
    parser.process(app);

#ifndef Q_OS_WIN
    quitOnSignals(app);
#endif

    GalleryWindow window;
    window.show();

    Plugin plugin;
    IDllInstance *instance = nullptr;
    if (parser.isSet(pluginOption)) {
        plugin = loadPlugin(parser.value(pluginOption));
        if (!plugin.create || !plugin.destroy) {
            std::fprintf(stderr, "testclient-host: %s has no ZuCreate/ZuDestroy\n",
                         qPrintable(parser.value(pluginOption)));
            return 2;
        }
        instance = plugin.create(u"TestClient");
        if (!instance)
            std::fprintf(stderr, "testclient-host: ZuCreate failed\n");
    }

    if (const int seconds = parser.value(quitAfter).toInt(); seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);

    const int result = app.exec();
    if (instance)
        plugin.destroy(instance);
    return result;
}
