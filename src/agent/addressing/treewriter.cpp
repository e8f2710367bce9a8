#include "widgetaddressing.h"

#include <QHash>
#include <QVarLengthArray>
#include <QVector>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace WidgetAddressing {

namespace {

// Writes tree items as UTF-8 straight into the reply's bytes. A tree of ten thousand
// widgets is half a megabyte written in a few dozen pieces per widget, so the pieces are
// copied into room made ahead, in steps that double, rather than appended one by one (each
// append checks, and now and then moves, the whole text), and the fixed parts of an item
// (depth, class name) are made once per request.
class TreeWriter
{
public:
    explicit TreeWriter(QByteArray &out) : out(out), used(out.size()) {}
    ~TreeWriter() { out.resize(used); }
    TreeWriter(const TreeWriter &) = delete;
    TreeWriter &operator=(const TreeWriter &) = delete;

    void write(const QWidget *widget, int depth) { write(widget, depth, widget->isVisible()); }

private:
    void write(const QWidget *widget, int depth, bool visible)
    {
        append(depthText(depth));
        append(visible ? " V " : " N ", 3);
        append(classText(widget->metaObject()));
        appendName(widget->objectName());
        append("\"", 1);

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

    // `length` bytes of room at the end of the text, counted as written.
    char *room(qsizetype length)
    {
        if (used + length > out.size())
            out.resize(std::max<qsizetype>(used + length, 2 * out.size() + 4096));
        char *at = out.data() + used;
        used += length;
        return at;
    }

    void append(const char *bytes, qsizetype length)
    {
        std::memcpy(room(length), bytes, size_t(length));
    }
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }

    // Object names are nearly always ASCII: those are copied as they are read, without a
    // converted copy; any other is written again as UTF-8.
    void appendName(const QString &name)
    {
        const QChar *characters = name.constData();
        const qsizetype length = name.size();
        char *bytes = room(length);
        for (qsizetype i = 0; i < length; ++i) {
            const ushort unicode = characters[i].unicode();
            if (unicode >= 0x80) {
                used -= length;
                append(name.toUtf8());
                return;
            }
            bytes[i] = char(unicode);
        }
    }

    // A form feed and the depth in decimal.
    const QByteArray &depthText(int depth)
    {
        if (depth < 0 || depth > 1000) {
            scratch = '\f' + QByteArray::number(depth);
            return scratch;
        }
        while (depthTexts.size() <= depth)
            depthTexts.append('\f' + QByteArray::number(depthTexts.size()));
        return depthTexts.at(depth);
    }

    // The class name and what follows it up to the object name. Siblings mostly share a
    // class, so the last one is kept at hand.
    const QByteArray &classText(const QMetaObject *metaObject)
    {
        if (metaObject != lastClass) {
            auto found = classTexts.constFind(metaObject);
            if (found == classTexts.constEnd())
                found =
                    classTexts.insert(metaObject, QByteArray(metaObject->className()) + " : \"");
            lastClass = metaObject;
            lastClassText = &*found;
        }
        return *lastClassText;
    }

    QByteArray &out;
    qsizetype used;
    QVector<QByteArray> depthTexts;
    QHash<const QMetaObject *, QByteArray> classTexts;
    const QMetaObject *lastClass = nullptr;
    const QByteArray *lastClassText = nullptr;
    QByteArray scratch;
};

} // namespace

void appendWidgetTree(QByteArray &out, const QWidget *widget, int depth)
{
    TreeWriter(out).write(widget, depth);
}

} // namespace WidgetAddressing
