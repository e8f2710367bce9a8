#include "quickitems.h"

#include <QMetaProperty>
#include <QObject>
#include <QPointF>
#include <QVariant>
#include <QWidget>
#include <QtQml/qqmllist.h>

#include <dlfcn.h>

#include <algorithm>

namespace QuickItems {

namespace {

// QQuickWidget::quickWindow() const, as the C++ ABI names it (the same in Qt 5 and Qt 6).
// Looked up in the process rather than linked: it resolves only where the program has
// loaded Qt Quick Widgets itself, which every QQuickWidget implies.
const char quickWindowSymbol[] = "_ZNK12QQuickWidget11quickWindowEv";
using QuickWindowOf = QObject *(*)(const QObject *);

QuickWindowOf quickWindowFunction()
{
    static const auto function =
        reinterpret_cast<QuickWindowOf>(dlsym(RTLD_DEFAULT, quickWindowSymbol));
    return function;
}

qreal number(const QObject *item, const char *name)
{
    return item->property(name).toReal();
}

// The class name without the suffix the QML engine gives the classes it makes.
QString withoutQmlSuffix(const char *className)
{
    QString name = QString::fromLatin1(className);
    const int suffix = name.indexOf(QLatin1String("_QML"));
    return suffix > 0 ? name.left(suffix) : name;
}

QString typeOfClass(const char *className)
{
    const QString name = withoutQmlSuffix(className);
    if (name.startsWith(QLatin1String("QQuick")) && name.size() > 6 && name.at(6).isUpper())
        return name.mid(6);
    return name;
}

// The parts a control is drawn with (background, content, indicator) are the control to a
// person; containers (panes, pages, tab bars, popups) hold controls of their own.
bool hidesItsParts(const QObject *item)
{
    if (item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit"))
        return true;
    return item->inherits("QQuickControl") && !item->inherits("QQuickContainer") &&
           !item->inherits("QQuickPane");
}

void collect(QObject *item, int depth, QVector<Entry> &entries)
{
    const QVector<QObject *> children = childItems(item);
    for (QObject *child : children) {
        if (!isVisible(child))
            continue;
        entries.append(Entry{child, depth});
        if (!hidesItsParts(child))
            collect(child, depth + 1, entries);
    }
}

// QQuickItem::childItems() const: present in the process exactly when Qt Quick is loaded.
const char quickItemSymbol[] = "_ZNK10QQuickItem10childItemsEv";

} // namespace

bool quickLoaded()
{
    // Looked up until found: a program may load Qt Quick later (a plug-in of its own).
    static bool loaded = false;
    if (!loaded)
        loaded = dlsym(RTLD_DEFAULT, quickItemSymbol) != nullptr;
    return loaded;
}

bool isQuickWidget(const QWidget *widget)
{
    return widget && widget->inherits("QQuickWidget");
}

QObject *rootOf(QWidget *quickWidget)
{
    // Asked only once a QQuickWidget exists, so its library is loaded by then.
    if (!isQuickWidget(quickWidget))
        return nullptr;
    const QuickWindowOf quickWindow = quickWindowFunction();
    if (!quickWindow)
        return nullptr;
    const QObject *window = quickWindow(quickWidget);
    return window ? window->property("contentItem").value<QObject *>() : nullptr;
}

bool isItem(const QObject *object)
{
    return object && object->inherits("QQuickItem");
}

QVector<QObject *> childItems(QObject *item)
{
    const QMetaObject *meta = item->metaObject();
    const int index = meta->indexOfProperty("children");
    if (index < 0 || !isItem(item))
        return {};
    const QVariant value = meta->property(index).read(item);
    if (qstrcmp(value.typeName(), "QQmlListProperty<QQuickItem>") != 0)
        return {};
    // QQuickItem derives from QObject first, so an item's address is its QObject's.
    QQmlListProperty<QObject> list =
        *reinterpret_cast<const QQmlListProperty<QObject> *>(value.constData());
    QVector<QObject *> children;
    if (!list.count || !list.at)
        return children;
    const auto count = list.count(&list);
    for (decltype(list.count(&list)) i = 0; i < count; ++i) {
        if (QObject *child = list.at(&list, i))
            children.append(child);
    }
    return children;
}

QObject *parentItem(const QObject *item)
{
    return item->property("parent").value<QObject *>();
}

bool isVisible(const QObject *item)
{
    return item->property("visible").toBool() && number(item, "opacity") > 0;
}

bool isInside(const QObject *item, const QObject *ancestor)
{
    for (const QObject *at = item; at; at = parentItem(at)) {
        if (at == ancestor)
            return true;
    }
    return false;
}

QRect sceneRect(const QObject *item)
{
    QPointF origin;
    for (const QObject *at = item; at; at = parentItem(at))
        origin += QPointF(number(at, "x"), number(at, "y"));
    return QRectF(origin, QSizeF(number(item, "width"), number(item, "height"))).toRect();
}

bool takesClicks(const QObject *item)
{
    for (const char *type :
         {"QQuickControl", "QQuickMouseArea", "QQuickTextInput", "QQuickTextEdit",
          "QQuickFlickable", "QQuickMultiPointTouchArea", "QQuickOverlay"}) {
        if (item->inherits(type))
            return true;
    }
    return false;
}

QObject *itemAt(QObject *root, const QPointF &scenePoint)
{
    QVector<QObject *> children = childItems(root);
    // Painted and hit in order of z, the later sibling over the earlier at equal z.
    std::stable_sort(children.begin(), children.end(), [](const QObject *a, const QObject *b) {
        return number(a, "z") < number(b, "z");
    });
    for (auto child = children.crbegin(); child != children.crend(); ++child) {
        if (!isVisible(*child))
            continue;
        if (QObject *hit = itemAt(*child, scenePoint))
            return hit;
    }
    return takesClicks(root) && QRectF(sceneRect(root)).contains(scenePoint) ? root : nullptr;
}

QString qmlType(const QObject *item)
{
    return typeOfClass(item->metaObject()->className());
}

QString qtClass(const QObject *item)
{
    for (const QMetaObject *meta = item->metaObject(); meta; meta = meta->superClass()) {
        const QString name = QString::fromLatin1(meta->className());
        if (name.startsWith(QLatin1Char('Q')) && !name.contains(QLatin1String("_QML")))
            return name;
    }
    return QStringLiteral("QQuickItem");
}

bool inherits(const QObject *item, const QString &type)
{
    for (const QMetaObject *meta = item->metaObject(); meta; meta = meta->superClass()) {
        if (type == QLatin1String(meta->className()) || type == typeOfClass(meta->className()))
            return true;
    }
    return false;
}

QString text(const QObject *item)
{
    if (item->inherits("QQuickTextInput") && item->property("echoMode").toInt() != 0)
        return QString(); // a password field shows no text to read
    if (item->inherits("QQuickComboBox"))
        return item->property("currentText").toString();
    for (const char *name : {"text", "title"}) {
        const QVariant value = item->property(name);
        if (value.userType() == QMetaType::QString)
            return value.toString();
    }
    return QString();
}

QString labelText(const QObject *item)
{
    const QObject *parent = parentItem(item);
    if (!parent)
        return QString();
    const QVector<QObject *> siblings = childItems(const_cast<QObject *>(parent));
    const int at = siblings.indexOf(const_cast<QObject *>(item));
    if (at <= 0)
        return QString();
    const QObject *before = siblings.at(at - 1);
    return before->inherits("QQuickText") && isVisible(before) ? text(before) : QString();
}

QVector<Entry> visibleItems(QObject *root)
{
    QVector<Entry> entries;
    if (root)
        collect(root, 1, entries);
    return entries;
}

} // namespace QuickItems
