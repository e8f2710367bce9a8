// The requests that address a whole window or a tray icon: 1, 2, 8, 10, 11, 12.

#include "requesthandlers.h"

#include "failureguard.h"

#include "addressing/requestlookup.h"
#include "protocol/replyline.h"
#include "protocol/wireprotocol.h"
#include "protocol/wiretext.h"
#include "quick/quickrequests.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QWidget>

using WireProtocol::requestField;

namespace RequestHandlers {

namespace {

// Bounds on what move and resize requests may ask for. A typo in a test script must not
// take the application down: a window of 100000 x 100000 pixels needs a backing store Qt
// cannot allocate and crashes the next paint, and 20000 x 20000 alone costs 1.6 GB. Sizes
// up to 8192 cover an 8K screen (at most 256 MB of backing store); positions stay inside
// the 16-bit coordinates of X11, also with a maximal window added.
constexpr int maxWindowSize = 8192;
constexpr int maxWindowPosition = 16384;
const char sizeOutOfRange[] = "resize accepts only sizes from 0 to %1";
const char positionOutOfRange[] = "move accepts only positions from -%1 to %1";
const char emptyWindow[] = "Error: window \"%1\" cannot be resized to %2 x %3: a window without "
                           "width or height is taken off the screen and takes no input (on the "
                           "headless screen not even once resized back)";

QByteArray moveOrResizeWindow(const Request &request, bool move);

} // namespace

QWidget *resolveWindow(const Request &request, QByteArray &reply)
{
    const QString name = requestField(request.line, 1);
    const RequestLookup lookup =
        WidgetAddressing::lookUpWindow(name, request.lookup, request.context.selectors());
    if (!lookup.malformed.isEmpty()) {
        reply = Reply::exception(lookup.malformed, request.context.mode);
        return nullptr;
    }
    if (lookup.found.kind != NoError) {
        reply = Reply::lookupError(lookup.found.kind, name, QString(), lookup.found.count);
        return nullptr;
    }
    return lookup.found.window;
}

QByteArray listWindows(const Request &request)
{
    QStringList entries;
    const QWidgetList windows = WidgetAddressing::shownTopLevels();
    for (const QWidget *window : windows) {
        if (!window->isWindow() || !window->testAttribute(Qt::WA_WState_Visible))
            continue;
        const char *modality = window->windowModality() != Qt::NonModal ? " (M) : " : " : ";
        entries << QString::fromLatin1(window->metaObject()->className()) +
                       QLatin1String(modality) + QLatin1Char('"') + window->windowTitle() +
                       QLatin1Char('"');
    }
    if (request.context.selectors())
        entries += QuickRequests::windowListEntries();
    return Reply::list(entries);
}

QByteArray windowTree(const Request &request)
{
    QByteArray reply;
    const QWidget *window = resolveWindow(request, reply);
    if (!window)
        return reply;

    // Written straight into the reply line: a tree of ten thousand widgets is 200 KB, and
    // every copy of that costs fresh pages.
    QByteArray tree = Reply::replyLine("0", "l:");
    WidgetAddressing::appendWidgetTree(tree, window, 0);
    return tree;
}

QByteArray checkWindow(const Request &request)
{
    QByteArray reply;
    const QWidget *window = resolveWindow(request, reply);
    if (!window)
        return orQuickReply(reply, request,
                            [&] { return QuickRequests::checkWindow(request.line); });
    return Reply::text(window->windowTitle());
}

namespace {

QByteArray moveOrResizeWindow(const Request &request, bool move)
{
    QByteArray reply;
    QWidget *window = resolveWindow(request, reply);
    if (!window)
        return reply;
    const QString &line = request.line;
    const WireText::Mode mode = request.context.mode;

    bool firstOk = false;
    bool secondOk = false;
    const int first = requestField(line, 2).toInt(&firstOk, 10);
    const int second = requestField(line, 3).toInt(&secondOk, 10);
    if (!firstOk || !secondOk)
        return Reply::moveResizeTypeError();
    const int lowest = move ? -maxWindowPosition : 0;
    const int highest = move ? maxWindowPosition : maxWindowSize;
    if (first < lowest || first > highest || second < lowest || second > highest) {
        return Reply::exception(
            QString::fromLatin1(move ? positionOutOfRange : sizeOutOfRange).arg(highest), mode);
    }
    // Qt takes a window of no width or height off the screen, and on the headless screen
    // it never comes back: a resize that would do so is refused where the protocol allows.
    if (!move && (first == 0 || second == 0) && mode == WireText::Mode::Extended) {
        return Reply::exception(
            QString::fromLatin1(emptyWindow)
                .arg(window->windowTitle(), QString::number(first), QString::number(second)),
            mode);
    }

    if (window->isMinimized())
        window->showNormal();
    window->activateWindow();
    window->raise();
    if (move)
        window->move(QPoint(first, second));
    else
        window->resize(QSize(first, second));
    return Reply::text(window->windowTitle());
}

} // namespace

QByteArray trayIconGeometry(const Request &request)
{
    const QString name = requestField(request.line, 2);
    QList<QSystemTrayIcon *> icons = qApp->findChildren<QSystemTrayIcon *>(name);
    if (icons.isEmpty()) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (const QWidget *window : windows)
            icons += window->findChildren<QSystemTrayIcon *>(name);
    }

    QSystemTrayIcon *visibleIcon = nullptr;
    int visible = 0;
    for (QSystemTrayIcon *icon : qAsConst(icons)) {
        if (icon->isVisible()) {
            ++visible;
            visibleIcon = icon;
        }
    }

    if (visible == 1) {
        return failureGuard(request.context.mode, [visibleIcon] {
            const QRect geometry = visibleIcon->geometry();
            if (geometry.left() > geometry.right() || geometry.top() > geometry.bottom())
                raiseError("Rectangle not defined");
            return Reply::rect(geometry);
        });
    }
    if (icons.isEmpty())
        return Reply::objectNotFound(name);
    if (visible == 0)
        return Reply::objectNotVisible(name);
    return Reply::objectAmbiguous(name, visible);
}

QByteArray moveWindow(const Request &request)
{
    return moveOrResizeWindow(request, true);
}

QByteArray resizeWindow(const Request &request)
{
    return moveOrResizeWindow(request, false);
}

} // namespace RequestHandlers
