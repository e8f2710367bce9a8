#include "widgetnaming.h"

#include "widgetaddressing.h"

#include <QAbstractButton>
#include <QAction>
#include <QInputDialog>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace WidgetNaming {

const QString actionButtonSuffix = QStringLiteral("_action_button");
const QString dialogButtonSuffix = QStringLiteral("_dialog_button");
const QString inputDialogSuffix = QStringLiteral("__widget__");
const QString unnamedName = QStringLiteral("unnamed");

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

// qobject_cast compares meta-objects up the class chain, where inherits() compares class
// names: a window's listing asks for every widget without an object name.
bool isInputDialogChild(const QObject *object)
{
    return qobject_cast<const QInputDialog *>(object->parent());
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

QString dialogButtonName(const QObject *object, DialogButtonNames *known)
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
    return nameOf(object, object->objectName(), known);
}

QString nameOf(const QObject *object, const QString &objectName, DialogButtonNames *known)
{
    if (!objectName.isEmpty())
        return objectName;
    if (qobject_cast<const QToolButton *>(object)) {
        const QString name = actionButtonName(object);
        if (!name.isNull())
            return name;
    }
    if (qobject_cast<const QPushButton *>(object)) {
        const QString name = dialogButtonName(object, known);
        if (!name.isNull())
            return name;
    }
    if (isInputDialogChild(object))
        return inputDialogChildName(object);
    return unnamedName;
}

bool pathMatches(QWidget *widget, QWidget *window, const QStringList &path,
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

} // namespace WidgetNaming

namespace WidgetAddressing {

QString getName(const QObject *object)
{
    return WidgetNaming::nameOf(object, nullptr);
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

bool checkPath(QWidget *widget, QWidget *window, QStringList path)
{
    return WidgetNaming::pathMatches(widget, window, path, nullptr);
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

} // namespace WidgetAddressing
