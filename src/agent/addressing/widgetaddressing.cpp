#include "widgetaddressing.h"

#include "objectnameindex.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QInputDialog>
#include <QPushButton>
#include <QTextStream>
#include <QToolButton>
#include <QVarLengthArray>
#include <QVector>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

const QString popupWindowName = QStringLiteral("Widget:ActivePopupWidget");
const QString modalWindowName = QStringLiteral("Widget:ActiveModalWidget");
const QString objectNamePrefix = QStringLiteral("Widget:");

const QString actionButtonSuffix = QStringLiteral("_action_button");
const QString dialogButtonSuffix = QStringLiteral("_dialog_button");
const QString inputDialogSuffix = QStringLiteral("__widget__");
const QString unnamedName = QStringLiteral("unnamed");

const QString popupElement = QStringLiteral("ActivePopupWidget");
const QString focusElement = QStringLiteral("FocusWidget");

// findChildren() treats a null name as "any name", but an empty search name must only
// find widgets without an object name. Paths split from a null text give null elements.
QString nonNull(const QString &name)
{
    return name.isNull() ? QString(QLatin1String("")) : name;
}

// Steps 2 to 4 of the candidate search only look at widgets whose object name was never
// set: a name set and later cleared is an empty, not a null, string.
bool objectNameNeverSet(const QObject *object)
{
    return object->objectName().isNull();
}

bool isInputDialogChild(const QObject *object)
{
    const QObject *parent = object->parent();
    return parent && parent->inherits("QInputDialog");
}

QString inputDialogChildName(const QObject *object)
{
    return QLatin1String(object->metaObject()->className()) + inputDialogSuffix;
}

// The tool button's name by its only action, or a null string when it has none.
QString actionButtonName(const QObject *object)
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    if (!widget)
        return QString();
    const QList<QAction *> actions = widget->actions();
    if (actions.size() != 1 || actions.first()->objectName().isEmpty())
        return QString();
    return actions.first()->objectName() + actionButtonSuffix;
}

// Made-up push button names by button text, kept for one request: the buttons of a large
// form repeat a few texts, and a path check names the same buttons again.
using DialogButtonNames = QHash<QString, QString>;

QString dialogButtonName(const QObject *object, DialogButtonNames *known = nullptr)
{
    const auto *button = qobject_cast<const QAbstractButton *>(object);
    if (!button)
        return QString();
    const QString text = button->text();
    if (known) {
        const auto found = known->constFind(text);
        if (found != known->constEnd())
            return *found;
    }
    const QString synthetic = WidgetAddressing::syntheticName(text);
    const QString name = synthetic.isEmpty() ? QString() : synthetic + dialogButtonSuffix;
    if (known)
        known->insert(text, name);
    return name;
}

QString nameOf(const QObject *object, DialogButtonNames *known)
{
    const QString objectName = object->objectName();
    if (!objectName.isEmpty())
        return objectName;
    if (object->inherits("QToolButton")) {
        const QString name = actionButtonName(object);
        if (!name.isNull())
            return name;
    }
    if (object->inherits("QPushButton")) {
        const QString name = dialogButtonName(object, known);
        if (!name.isNull())
            return name;
    }
    if (isInputDialogChild(object))
        return inputDialogChildName(object);
    return unnamedName;
}

bool checkPathWith(QWidget *widget, QWidget *window, const QStringList &path,
                   DialogButtonNames *known)
{
    int i = path.size() - 1;
    QWidget *current = widget;
    while (true) {
        bool strict = true;
        if (i < 0 || path.at(i).isEmpty()) {
            // A gap: any number of levels, none included, up to the next named element.
            strict = false;
            while (i >= 0 && path.at(i).isEmpty())
                --i;
            if (i < 0)
                return true;
        }
        const QString &element = path.at(i);
        if (nameOf(current, known) != element) {
            if (strict)
                return false;
            do {
                if (current == window || !current->parentWidget())
                    return false;
                current = current->parentWidget();
            } while (nameOf(current, known) != element);
        }
        if (i == 0)
            return true;
        // Elements are left, but the path must not reach above the window.
        if (current == window || !current->parentWidget())
            return false;
        current = current->parentWidget();
        --i;
    }
}

int findWindowAmong(QWidget *&window, const QString &name, QWidgetList (*topLevels)())
{
    const QString head = name.section(QLatin1Char(':'), 0, 1);
    if (head == popupWindowName) {
        window = QApplication::activePopupWidget();
        return window && window->isVisible() ? 1 : 0;
    }
    if (head == modalWindowName) {
        window = QApplication::activeModalWidget();
        if (!window || !window->isVisible())
            return 0;
        // Everything after the second ':' is the title prefix, colons included.
        const QString titlePrefix = name.section(QLatin1Char(':'), 2);
        if (titlePrefix.isEmpty())
            return 1;
        return window->windowTitle().startsWith(titlePrefix) ? 1 : 0;
    }

    const bool byObjectName = name.startsWith(objectNamePrefix);
    int count = 0;
    for (QWidget *candidate : topLevels()) {
        if (!candidate->isVisible())
            continue;
        bool matches;
        if (byObjectName) {
            matches = objectNamePrefix + candidate->objectName() == name;
        } else {
            // An untitled window has a null title, which no prefix (not even the empty
            // one) is taken to start.
            const QString title = candidate->windowTitle();
            matches = !title.isNull() && title.startsWith(name);
        }
        if (matches) {
            window = candidate;
            ++count;
        }
    }
    return count;
}

using FindWindow = int (*)(QWidget *&, const QString &);

LookupResult resolveWindowWith(FindWindow findWindow, const QString &name, WindowCheck mode,
                               const ActiveWidgets &active, bool popupPassesAnyWindow)
{
    LookupResult result;
    QWidget *window = nullptr;
    result.count = findWindow(window, name);
    if (result.count == 0) {
        result.kind = WindowNotFoundError;
    } else if (result.count > 1) {
        result.kind = WindowAmbiguousError;
    } else {
        result.window = window;
        result.kind = WidgetAddressing::checkWindow(window, mode, active, popupPassesAnyWindow);
    }
    return result;
}

} // namespace

ActiveWidgets ActiveWidgets::current()
{
    ActiveWidgets active;
    active.popup = QApplication::activePopupWidget();
    active.modal = QApplication::activeModalWidget();
    active.activeWindow = QApplication::activeWindow();
    return active;
}

namespace WidgetAddressing {

int findWindow(QWidget *&window, const QString &name)
{
    return findWindowAmong(window, name, shownTopLevels);
}

// A shown widget window always has a platform window, and there are a handful of those,
// where QApplication::topLevelWidgets() looks at every widget of the application. Should a
// widget's window not lead back to its widget (a platform without distinct window ids),
// the long way is taken.
QWidgetList shownTopLevels()
{
    QWidgetList widgets;
    const QWindowList windows = QGuiApplication::allWindows();
    for (QWindow *window : windows) {
        // Asking an uncreated window for its id would create it; its widget is not shown.
        if (!window->handle() || !window->inherits("QWidgetWindow"))
            continue;
        QWidget *widget = QWidget::find(window->winId());
        if (!widget || widget->windowHandle() != window)
            return QApplication::topLevelWidgets();
        if (widget->isWindow() && widget->windowType() != Qt::Desktop)
            widgets.append(widget);
    }
    return widgets;
}

LookupErrorKind checkWindow(const QWidget *window, WindowCheck mode, const ActiveWidgets &active,
                            bool popupPassesAnyWindow)
{
    if (mode == WindowCheck::None)
        return NoError;
    if (active.popup) {
        // An open popup holds the input grab: input meant for another window would go
        // to the popup instead, so such requests are refused. The modal widget is not
        // looked at while a popup is open.
        if (window == active.popup)
            return NoError;
        if (mode == WindowCheck::Lenient && (window == active.activeWindow || popupPassesAnyWindow))
            return NoError;
        return WindowNotActivePopupError;
    }
    if (active.modal && active.modal != window)
        return WindowNotActiveModalError;
    return NoError;
}

LookupResult resolveWindow(const QString &name, WindowCheck mode, const ActiveWidgets &active,
                           bool popupPassesAnyWindow)
{
    return resolveWindowWith(findWindow, name, mode, active, popupPassesAnyWindow);
}

QString getName(const QObject *object)
{
    return nameOf(object, nullptr);
}

QString syntheticName(QString text)
{
    text.remove(QLatin1Char('&'));
    const QStringList words =
        text.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString name;
    for (const QString &word : words)
        name += word.at(0).toUpper() + word.mid(1);
    return name;
}

bool isA(const QObject *object, const char *className)
{
    return qstrcmp(object->metaObject()->className(), className) == 0;
}

void widgetList(QList<QWidget *> &list, QWidget *root, QString name)
{
    name = nonNull(name);
    list = root->findChildren<QWidget *>(name);

    if (name.endsWith(actionButtonSuffix)) {
        const QList<QToolButton *> buttons = root->findChildren<QToolButton *>();
        for (QToolButton *button : buttons) {
            if (objectNameNeverSet(button) && actionButtonName(button) == name)
                list.append(button);
        }
    }
    if (name.endsWith(dialogButtonSuffix)) {
        const QList<QPushButton *> buttons = root->findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (objectNameNeverSet(button) && dialogButtonName(button) == name)
                list.append(button);
        }
    }
    if (name.endsWith(inputDialogSuffix)) {
        const QList<QWidget *> widgets = root->findChildren<QWidget *>();
        for (QWidget *widget : widgets) {
            if (objectNameNeverSet(widget) && isInputDialogChild(widget) &&
                inputDialogChildName(widget) == name)
                list.append(widget);
        }
    }
    if (root->objectName() == name)
        list.append(root);
}

bool checkPath(QWidget *widget, QWidget *window, QStringList path)
{
    return checkPathWith(widget, window, path, nullptr);
}

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

QString widgetPath(const QWidget *widget)
{
    QStringList names;
    for (const QWidget *level = widget; level; level = level->parentWidget()) {
        names.prepend(getName(level));
        if (level == widget->window())
            break;
    }
    return names.join(QLatin1Char('/'));
}

namespace {

// Tallies the candidates that pass the path check: the target is the one visible match.
struct Matches
{
    int matched = 0;
    int visible = 0;
    QWidget *target = nullptr;

    void add(QWidget *candidate)
    {
        ++matched;
        if (candidate->isVisible()) {
            ++visible;
            target = candidate;
        }
    }
};

using CountMatches = Matches (*)(QWidget *window, const QStringList &elements,
                                 const QString &searchName, bool plainCandidates);

// The candidates as the addressing rules list them (one search of the window per rule),
// each checked against the path.
Matches countMatchesByList(QWidget *window, const QStringList &elements, const QString &searchName,
                           bool plainCandidates)
{
    QList<QWidget *> candidates;
    if (plainCandidates) {
        const QString name = nonNull(searchName);
        candidates = window->findChildren<QWidget *>(name);
        if (window->objectName() == name)
            candidates.append(window);
    } else {
        WidgetAddressing::widgetList(candidates, window, searchName);
    }
    Matches matches;
    for (QWidget *candidate : qAsConst(candidates)) {
        if (WidgetAddressing::checkPath(candidate, window, elements))
            matches.add(candidate);
    }
    return matches;
}

// The same candidates in one walk of the window's object tree, every naming rule tested
// on the spot. The rules' lists never share a widget (a made-up name needs an object name
// that was never set, so it is never a widget's object name as well), so it does not
// matter that the walk meets them in another order: only the tally counts.
class MatchWalk
{
public:
    MatchWalk(QWidget *window, const QStringList &elements, const QString &searchName,
              bool plainCandidates)
        : window(window), elements(elements), name(nonNull(searchName))
    {
        if (plainCandidates)
            madeUp = MadeUp::None;
        else if (name.endsWith(actionButtonSuffix))
            madeUp = MadeUp::ActionButton;
        else if (name.endsWith(dialogButtonSuffix))
            madeUp = MadeUp::DialogButton;
        else if (name.endsWith(inputDialogSuffix))
            madeUp = MadeUp::InputDialogChild;
    }

    Matches run()
    {
        walk(window);
        if (window->objectName() == name)
            test(window);
        return matches;
    }

    // Only the descendants of one widget of the window.
    void walkBelow(const QObject *root) { walk(root); }
    const Matches &result() const { return matches; }

private:
    enum class MadeUp { None, ActionButton, DialogButton, InputDialogChild };

    void walk(const QObject *object)
    {
        // Through every child, widget or not, as findChildren() goes.
        for (QObject *child : object->children()) {
            if (child->isWidgetType() && isCandidate(static_cast<QWidget *>(child)))
                test(static_cast<QWidget *>(child));
            if (!child->children().isEmpty())
                walk(child);
        }
    }

    bool isCandidate(const QWidget *widget)
    {
        const QString objectName = widget->objectName();
        if (!objectName.isNull() || name.isEmpty())
            return objectName == name;
        switch (madeUp) {
        case MadeUp::None:
            return false;
        case MadeUp::ActionButton:
            return qobject_cast<const QToolButton *>(widget) && actionButtonName(widget) == name;
        case MadeUp::DialogButton:
            return qobject_cast<const QPushButton *>(widget) &&
                   dialogButtonName(widget, &dialogButtonNames) == name;
        case MadeUp::InputDialogChild:
            return isInputDialogChild(widget) && inputDialogChildName(widget) == name;
        }
        return false;
    }

    void test(QWidget *candidate)
    {
        if (checkPathWith(candidate, window, elements, &dialogButtonNames))
            matches.add(candidate);
    }

    QWidget *window;
    const QStringList &elements;
    const QString name;
    MadeUp madeUp = MadeUp::None;
    DialogButtonNames dialogButtonNames;
    Matches matches;
};

Matches countMatchesInOneWalk(QWidget *window, const QStringList &elements,
                              const QString &searchName, bool plainCandidates)
{
    return MatchWalk(window, elements, searchName, plainCandidates).run();
}

// A path element that only a widget's object name can match: names made up by the other
// naming rules (and "unnamed") are never in the index.
bool onlyObjectNameMatches(const QString &element)
{
    return !element.isEmpty() && element != unnamedName && !element.endsWith(actionButtonSuffix) &&
           !element.endsWith(dialogButtonSuffix) && !element.endsWith(inputDialogSuffix);
}

bool enclosesObject(const QObject *outer, const QObject *inner)
{
    for (; inner; inner = inner->parent()) {
        if (inner == outer)
            return true;
    }
    return false;
}

// The candidates that can pass the path check, found from the widgets that carry the
// element `anchor` as object name. Every match has such a widget on its way up to the
// window (the target itself when the anchor is the last element), so the search only
// reads the trees below those few widgets.
Matches countMatchesFromAnchor(ObjectNameIndex &index, QWidget *window, const QStringList &elements,
                               int anchor, const QString &searchName, bool plainCandidates)
{
    QVector<QWidget *> anchors = index.widgetsNamed(elements.at(anchor));
    anchors.erase(
        std::remove_if(anchors.begin(), anchors.end(),
                       [window](QWidget *widget) { return !enclosesObject(window, widget); }),
        anchors.end());

    if (anchor == elements.size() - 1) {
        DialogButtonNames names;
        Matches matches;
        for (QWidget *candidate : qAsConst(anchors)) {
            if (checkPathWith(candidate, window, elements, &names))
                matches.add(candidate);
        }
        return matches;
    }
    // An anchor inside another one is searched twice, its candidates counted twice. That
    // can only make the visible matches more than one, and the caller then walks the window.
    MatchWalk walk(window, elements, searchName, plainCandidates);
    for (QWidget *widget : qAsConst(anchors))
        walk.walkBelow(widget);
    return walk.result();
}

// With an index of object names: start from the rarest element of the path that only an
// object name can match, nearest the target among equally rare ones. The index cannot see
// a rename made while signals were blocked, so anything but exactly one visible match is
// confirmed by the walk of the whole window.
Matches countMatchesIndexed(QWidget *window, const QStringList &elements, const QString &searchName,
                            bool plainCandidates)
{
    if (ObjectNameIndex *index = ObjectNameIndex::instance()) {
        index->cover(window);
        int anchor = -1;
        int anchorEstimate = 0;
        for (int i = 0; i < elements.size(); ++i) {
            if (!onlyObjectNameMatches(elements.at(i)))
                continue;
            const int estimate = index->estimate(elements.at(i));
            if (anchor < 0 || estimate <= anchorEstimate) {
                anchor = i;
                anchorEstimate = estimate;
            }
        }
        if (anchor >= 0) {
            const Matches matches = countMatchesFromAnchor(*index, window, elements, anchor,
                                                           searchName, plainCandidates);
            if (matches.visible == 1)
                return matches;
        }
    }
    return countMatchesInOneWalk(window, elements, searchName, plainCandidates);
}

LookupResult resolve(const QString &windowName, const QString &path, const ResolveVariant &variant,
                     const ActiveWidgets &active, FindWindow findWindow, CountMatches countMatches)
{
    const QStringList elements = path.split(QLatin1Char('/'));
    const QString lastElement = elements.last();
    const QString searchName = lastElement == unnamedName ? QString() : lastElement;

    LookupResult result = resolveWindowWith(findWindow, windowName, variant.check, active,
                                            variant.popupPassesAnyWindow);
    if (result.kind != NoError)
        return result;
    QWidget *window = result.window;

    // The special last elements name a widget directly, whatever the rest of the path says.
    QWidget *special = nullptr;
    bool isSpecial = false;
    if (variant.activePopupElement && lastElement == popupElement) {
        special = active.popup;
        isSpecial = true;
    } else if (variant.focusWidgetElement && lastElement == focusElement) {
        special = QApplication::focusWidget();
        isSpecial = true;
    }
    if (isSpecial) {
        result.count = special ? 1 : 0;
        result.widget = special;
        result.kind = special ? NoError : WidgetNotFoundError;
        return result;
    }

    const Matches matches = countMatches(window, elements, searchName, variant.plainCandidates);
    result.count = matches.visible;
    if (matches.visible == 1) {
        result.widget = matches.target;
        result.kind = NoError;
    } else if (matches.matched == 0) {
        result.kind = WidgetNotFoundError;
    } else if (matches.visible == 0) {
        result.kind = WidgetNotVisibleError;
    } else {
        result.kind = WidgetAmbiguousError;
    }
    return result;
}

} // namespace

LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant, const ActiveWidgets &active)
{
    return resolve(windowName, path, variant, active, findWindow, countMatchesIndexed);
}

namespace Reference {

int findWindow(QWidget *&window, const QString &name)
{
    return findWindowAmong(window, name, QApplication::topLevelWidgets);
}

LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant, const ActiveWidgets &active)
{
    return resolve(windowName, path, variant, active, Reference::findWindow, countMatchesByList);
}

void widgetTree(const QWidget *widget, int depth, QTextStream &out)
{
    out << QChar(0x0c) << depth << (widget->isVisible() ? " V " : " N ")
        << widget->metaObject()->className() << " : \"" << widget->objectName() << '"';
    for (const QObject *child : widget->children()) {
        if (child->isWidgetType())
            Reference::widgetTree(static_cast<const QWidget *>(child), depth + 1, out);
    }
}

} // namespace Reference

} // namespace WidgetAddressing
