#include "widgetspy.h"

#include "agentconnection.h"

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

QStringList spy(AgentConnection *agent, int timeoutMs)
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

} // namespace WidgetSpy
