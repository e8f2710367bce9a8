#include "widgetaddressing.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QTextStream>
#include <QToolButton>
#include <QWidget>

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

QString dialogButtonName(const QObject *object)
{
    const auto *button = qobject_cast<const QAbstractButton *>(object);
    if (!button)
        return QString();
    const QString synthetic = WidgetAddressing::syntheticName(button->text());
    if (synthetic.isEmpty())
        return QString();
    return synthetic + dialogButtonSuffix;
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
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *candidate : topLevels) {
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
    LookupResult result;
    QWidget *window = nullptr;
    result.count = findWindow(window, name);
    if (result.count == 0) {
        result.kind = WindowNotFoundError;
    } else if (result.count > 1) {
        result.kind = WindowAmbiguousError;
    } else {
        result.window = window;
        result.kind = checkWindow(window, mode, active, popupPassesAnyWindow);
    }
    return result;
}

QString getName(const QObject *object)
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
        const QString name = dialogButtonName(object);
        if (!name.isNull())
            return name;
    }
    if (isInputDialogChild(object))
        return inputDialogChildName(object);
    return unnamedName;
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
        if (getName(current) != element) {
            if (strict)
                return false;
            do {
                if (current == window || !current->parentWidget())
                    return false;
                current = current->parentWidget();
            } while (getName(current) != element);
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

void widgetTree(const QWidget *widget, int depth, QTextStream &out)
{
    out << QChar(0x0c) << depth << (widget->isVisible() ? " V " : " N ")
        << widget->metaObject()->className() << " : \"" << widget->objectName() << '"';
    for (const QObject *child : widget->children()) {
        if (child->isWidgetType())
            widgetTree(static_cast<const QWidget *>(child), depth + 1, out);
    }
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

LookupResult resolveWidget(const QString &windowName, const QString &path,
                           const ResolveVariant &variant, const ActiveWidgets &active)
{
    const QStringList elements = path.split(QLatin1Char('/'));
    const QString lastElement = elements.last();
    const QString searchName = lastElement == unnamedName ? QString() : lastElement;

    LookupResult result =
        resolveWindow(windowName, variant.check, active, variant.popupPassesAnyWindow);
    if (result.kind != NoError)
        return result;

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

    QWidget *window = result.window;
    QList<QWidget *> candidates;
    if (variant.plainCandidates) {
        const QString name = nonNull(searchName);
        candidates = window->findChildren<QWidget *>(name);
        if (window->objectName() == name)
            candidates.append(window);
    } else {
        widgetList(candidates, window, searchName);
    }

    int matched = 0;
    int visible = 0;
    QWidget *target = nullptr;
    for (QWidget *candidate : qAsConst(candidates)) {
        if (!checkPath(candidate, window, elements))
            continue;
        ++matched;
        if (candidate->isVisible()) {
            ++visible;
            target = candidate;
        }
    }

    result.count = visible;
    if (visible == 1) {
        result.widget = target;
        result.kind = NoError;
    } else if (matched == 0) {
        result.kind = WidgetNotFoundError;
    } else if (visible == 0) {
        result.kind = WidgetNotVisibleError;
    } else {
        result.kind = WidgetAmbiguousError;
    }
    return result;
}

} // namespace WidgetAddressing
