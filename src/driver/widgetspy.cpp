#include "widgetspy.h"

#include "agentconnection.h"
#include "replydecoder.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace WidgetSpy {

namespace {

QStringList listEntries(const QByteArray &reply)
{
    if (!reply.startsWith("0,l:"))
        return {};
    QStringList entries = QString::fromUtf8(reply.mid(4)).split(QChar(0x0c));
    entries.removeFirst();
    return entries;
}

// The title of a window-list entry 'Class [(M)] : "title"'.
QString windowTitle(const QString &entry)
{
    const int quote = entry.indexOf(QLatin1String(" : \""));
    return quote < 0 ? QString() : entry.mid(quote + 4).chopped(1);
}

} // namespace

QList<Entry> parseTree(const QByteArray &reply)
{
    static const QRegularExpression item(QStringLiteral("^(\\d+) ([VN]) (\\S+) : \"(.*)\"$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QList<Entry> tree;
    for (const QString &text : listEntries(reply)) {
        const QRegularExpressionMatch m = item.match(text);
        if (m.hasMatch())
            tree.append({m.captured(1).toInt(), m.captured(2) == QLatin1String("V"), m.captured(3),
                         m.captured(4)});
    }
    return tree;
}

QStringList candidatePaths(const QList<Entry> &tree, int index)
{
    const Entry &target = tree.at(index);
    const QString own = target.objectName.isEmpty() ? QStringLiteral("unnamed") : target.objectName;
    // Named ancestors, nearest first: walk back to each shallower entry.
    QStringList ancestors;
    int depth = target.depth;
    for (int i = index - 1; i >= 0 && depth > 0; --i) {
        if (tree.at(i).depth < depth) {
            depth = tree.at(i).depth;
            if (!tree.at(i).objectName.isEmpty() && !tree.at(i).objectName.contains('/'))
                ancestors << tree.at(i).objectName;
        }
    }
    QStringList paths;
    if (!target.objectName.isEmpty())
        paths << own;
    QString path = own;
    for (const QString &ancestor : qAsConst(ancestors)) {
        path = ancestor + QLatin1String("//") + path;
        paths << path;
    }
    paths.removeDuplicates();
    return paths;
}

namespace {

// The spy of an agent that knows only requests 1 to 12: addresses are made from the names
// in each window's tree and tried one after another.
QStringList spyTrees(AgentConnection *agent, int timeoutMs)
{
    QStringList lines;
    const QStringList windows = listEntries(agent->request("1", timeoutMs));
    for (const QString &window : windows) {
        const QString title = windowTitle(window);
        lines << QStringLiteral("window %1").arg(window);
        QString name = title;
        QByteArray reply = agent->request(("2," + name).toUtf8(), timeoutMs);
        QList<Entry> tree = parseTree(reply);
        if (tree.isEmpty() || title.contains(',')) {
            lines << QStringLiteral("  (no unique window name: \"%1\" answers %2)")
                         .arg(title, QString::fromUtf8(reply.left(60)));
            continue;
        }
        if (!tree.first().objectName.isEmpty() && !tree.first().objectName.contains(','))
            name = QStringLiteral("Widget:") + tree.first().objectName;
        lines << QStringLiteral("  address the window as: %1").arg(name);

        for (int i = 1; i < tree.size(); ++i) {
            const Entry &entry = tree.at(i);
            const QString label = QStringLiteral("  %1%2 \"%3\"")
                                      .arg(QString(2 * entry.depth, QLatin1Char(' ')),
                                           entry.className, entry.objectName);
            if (!entry.visible) {
                lines << label + QStringLiteral("  -- hidden: cannot be addressed now");
                continue;
            }
            QString found;
            for (const QString &path : candidatePaths(tree, i)) {
                if (path.contains(','))
                    continue;
                const QByteArray answer =
                    agent->request(("7," + name + ',' + path + ",,className,").toUtf8(), timeoutMs);
                // The widget matches the path by construction, so a single visible match
                // of its class is the widget itself.
                if (answer == "0,u:" + entry.className.toUtf8().toHex()) {
                    found = path;
                    break;
                }
            }
            lines << label + (found.isEmpty() ? QStringLiteral("  -- no unique address (%1)")
                                                    .arg(entry.objectName.isEmpty()
                                                             ? QStringLiteral("no object name")
                                                             : QStringLiteral("its names repeat"))
                                              : QStringLiteral("  -> %1,%2").arg(name, found));
        }
    }
    return lines;
}

// What a reply says in a few words, for a line of the spy.
QString shortReply(const QByteArray &reply)
{
    if (reply.isNull())
        return QStringLiteral("no reply");
    return QString::fromUtf8(reply.size() > 60 ? reply.left(60) + "..." : reply);
}

// One widget of a listing with the address proposed for it, proven by reading its class
// through it; `resolved` tells whether it held.
QString widgetLine(AgentConnection *agent, const QString &windowAddress, const QJsonObject &widget,
                   int timeoutMs, bool *resolved)
{
    const QString className = widget.value(QLatin1String("class")).toString();
    const QString address = widget.value(QLatin1String("address")).toString();
    QString text = widget.value(QLatin1String("text")).toString();
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    QString line =
        QStringLiteral("  %1%2 \"%3\"")
            .arg(QString(2 * widget.value(QLatin1String("depth")).toInt(), QLatin1Char(' ')),
                 className, widget.value(QLatin1String("name")).toString());
    if (!text.isEmpty())
        line += QStringLiteral(" \"%1\"").arg(text);
    *resolved = false;
    if (address.isEmpty() || address.contains(QLatin1Char(','))) {
        return line + QStringLiteral("  -- no address that a request can carry (%1)")
                          .arg(address.isEmpty() ? QStringLiteral("none proposed") : address);
    }
    const QString full = windowAddress + QLatin1Char(',') + address;
    const QByteArray answer = agent->request("7," + full.toUtf8() + ",,className,", timeoutMs);
    const ReplyDecoder::DecodedReply read = ReplyDecoder::decode(answer);
    // An address that finds anything but one visible widget is answered with an error; one
    // that finds a single widget of another class is wrong as well.
    if (read.type == "u:" && read.text == className) {
        *resolved = true;
        return line + QStringLiteral("  -> ") + full;
    }
    return line + QStringLiteral("  -- %1 does not resolve: %2").arg(full, shortReply(answer));
}

// The spy of an extended agent: it proposes every address itself (request 20 for the
// windows, 21 for each window's widgets); each is proven by reading the widget's class
// through it, as a test would address the widget.
QStringList spyListings(AgentConnection *agent, int timeoutMs)
{
    QStringList lines;
    const QByteArray windowsReply = agent->request("20", timeoutMs);
    const ReplyDecoder::DecodedReply windows = ReplyDecoder::decode(windowsReply);
    if (!windows.json.isArray())
        return {QStringLiteral("(the window listing failed: %1)").arg(shortReply(windowsReply))};
    int widgetCount = 0;
    int unresolved = 0;
    for (const QJsonValue &windowValue : windows.json.toArray()) {
        const QJsonObject window = windowValue.toObject();
        const QString windowAddress = window.value(QLatin1String("address")).toString();
        lines << QStringLiteral("window %1 \"%2\"  -> %3")
                     .arg(window.value(QLatin1String("class")).toString(),
                          window.value(QLatin1String("title")).toString(), windowAddress);
        if (windowAddress.isEmpty() || windowAddress.contains(QLatin1Char(','))) {
            lines << QStringLiteral("  (no window address that a request can carry)");
            continue;
        }
        const QByteArray widgetsReply = agent->request("21," + windowAddress.toUtf8(), timeoutMs);
        const ReplyDecoder::DecodedReply widgets = ReplyDecoder::decode(widgetsReply);
        if (!widgets.json.isArray()) {
            lines << QStringLiteral("  (the widget listing failed: %1)")
                         .arg(shortReply(widgetsReply));
            continue;
        }
        for (const QJsonValue &widgetValue : widgets.json.toArray()) {
            bool resolved = false;
            lines << widgetLine(agent, windowAddress, widgetValue.toObject(), timeoutMs, &resolved);
            ++widgetCount;
            unresolved += resolved ? 0 : 1;
        }
    }
    lines << QStringLiteral("%1 widgets, %2 without a working address")
                 .arg(widgetCount)
                 .arg(unresolved);
    return lines;
}

} // namespace

QStringList spy(AgentConnection *agent, int timeoutMs)
{
    return agent->isExtended() ? spyListings(agent, timeoutMs) : spyTrees(agent, timeoutMs);
}

} // namespace WidgetSpy
