#pragma once

#include <QStringList>

class AgentConnection;

// Lists every window's widgets with an address that finds exactly that widget, for a
// person writing a test. Each proposed address is proven by resolving it through the
// agent; where none resolves (a hidden widget, an unnamed one, names that repeat) the
// line says so instead of guessing. An extended agent proposes the addresses itself
// (selectors where names do not serve); with any other, they are made from object names.
namespace WidgetSpy {

struct Entry
{
    int depth = 0;
    bool visible = false;
    QString className;
    QString objectName;
};

// The entries of a tree reply ("0,l:" followed by form-feed items "<depth> V|N <class> :
// \"<name>\""); empty for any other reply.
QList<Entry> parseTree(const QByteArray &reply);

// Paths to try for entry index in tree order, most readable first: the widget's own name,
// then with its named ancestors in front of it, separated by gaps.
QStringList candidatePaths(const QList<Entry> &tree, int index);

// One line per window and per widget.
QStringList spy(AgentConnection *agent, int timeoutMs);

} // namespace WidgetSpy
