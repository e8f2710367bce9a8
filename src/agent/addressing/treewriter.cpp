#include "widgetaddressing.h"

#include <QHash>
#include <QTextStream>
#include <QVarLengthArray>
#include <QVector>
#include <QWidget>

namespace WidgetAddressing {

namespace {

// Writes tree items by appending to one text, a QString for a text stream or the UTF-8 bytes
// of the reply line. Streaming every field through QTextStream (the depth through its
// locale machinery) cost more than all else in a tree request, and so did the copies of a
// large reply from one form to the next; the fixed parts of an item (depth, class name) are
// made once per request here.
template <typename Text> class TreeWriter
{
public:
    explicit TreeWriter(Text &out) : out(out) {}

    void write(const QWidget *widget, int depth) { write(widget, depth, widget->isVisible()); }

private:
    void write(const QWidget *widget, int depth, bool visible)
    {
        out += depthText(depth);
        out += visible ? visibleMark : hiddenMark;
        out += classText(widget->metaObject());
        appendName(widget->objectName());
        out += '"';

        // What each child is, read for all children before descending into the first:
        // these reads do not depend on one another, so the processor overlaps their cache
        // misses, where reading each child on the way down would wait for them one by one.
        // In a large window those misses are most of the time the tree takes.
        const QObjectList &children = widget->children();
        QVarLengthArray<Kind, 64> kinds(children.size());
        for (int i = 0; i < children.size(); ++i) {
            const QObject *child = children.at(i);
            kinds[i] = !child->isWidgetType()                             ? Kind::Object
                       : static_cast<const QWidget *>(child)->isVisible() ? Kind::Visible
                                                                          : Kind::Hidden;
        }
        for (int i = 0; i < children.size(); ++i) {
            if (kinds[i] != Kind::Object)
                write(static_cast<const QWidget *>(children.at(i)), depth + 1,
                      kinds[i] == Kind::Visible);
        }
    }

    enum class Kind : quint8 { Object, Hidden, Visible };

    static Text ascii(const char *text) { return Text(text); }

    // A form feed and the depth in decimal.
    const Text &depthText(int depth)
    {
        if (depth < 0 || depth > 1000) {
            scratch = ascii("\f") + ascii(QByteArray::number(depth).constData());
            return scratch;
        }
        while (depthTexts.size() <= depth)
            depthTexts.append(ascii("\f") +
                              ascii(QByteArray::number(depthTexts.size()).constData()));
        return depthTexts.at(depth);
    }

    // The class name and what follows it up to the object name.
    const Text &classText(const QMetaObject *metaObject)
    {
        auto found = classTexts.constFind(metaObject);
        if (found == classTexts.constEnd())
            found = classTexts.insert(metaObject, ascii(metaObject->className()) + ascii(" : \""));
        return *found;
    }

    void appendName(const QString &name);

    Text &out;
    const Text visibleMark = ascii(" V ");
    const Text hiddenMark = ascii(" N ");
    QVector<Text> depthTexts;
    QHash<const QMetaObject *, Text> classTexts;
    Text scratch;
};

template <> void TreeWriter<QString>::appendName(const QString &name)
{
    out += name;
}

// Object names are nearly always ASCII: those go byte by byte, without a converted copy.
template <> void TreeWriter<QByteArray>::appendName(const QString &name)
{
    const QChar *characters = name.constData();
    const int length = name.size();
    int i = 0;
    for (; i < length && characters[i].unicode() < 0x80; ++i) {
    }
    if (i == length) {
        const int start = out.size();
        out.resize(start + length);
        char *bytes = out.data() + start;
        for (int k = 0; k < length; ++k)
            bytes[k] = char(characters[k].unicode());
    } else {
        out += name.toUtf8();
    }
}

} // namespace

void widgetTree(const QWidget *widget, int depth, QTextStream &out)
{
    QString text;
    TreeWriter<QString>(text).write(widget, depth);
    out << text;
}

void appendWidgetTree(QByteArray &out, const QWidget *widget, int depth)
{
    TreeWriter<QByteArray>(out).write(widget, depth);
}

} // namespace WidgetAddressing
