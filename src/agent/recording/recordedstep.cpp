#include "recordedstep.h"

#include "addressing/widgetcatalog.h"
#include "protocol/requestcode.h"
#include "protocol/wireprotocol.h"
#include "protocol/wiretext.h"
#include "proxies/views/stqabstractitemview.h"
#include "proxies/views/stqlistview.h"
#include "proxies/views/stqtable.h"
#include "proxies/views/stqtreeview.h"

#include <QCheckBox>
#include <QWindow>
#include <QListView>
#include <QTableView>
#include <QTreeView>

bool RecordTarget::isValid() const
{
    // Once decided, the address stays good for the step after the widget is gone.
    if (resolved)
        return !window.isEmpty() && (onWindow || !address.isEmpty());
    return widget;
}

bool RecordTarget::resolve()
{
    if (!resolved && widget) {
        window = WidgetCatalog::windowAddress(widget->window());
        if (!window.isEmpty() && !onWindow)
            address = WidgetCatalog::widgetAddress(widget, window);
    }
    resolved = true;
    return isValid();
}

void RecordTarget::resolveNamed()
{
    if (resolved || !widget)
        return;
    window = WidgetCatalog::windowAddress(widget->window());
    if (window.isEmpty() || onWindow) {
        resolved = true;
        return;
    }
    address = WidgetCatalog::namedAddress(widget, window, true);
    resolved = !address.isEmpty();
}

bool RecordTarget::isIn(const QObject *going) const
{
    if (resolved || !widget)
        return false;
    if (going->isWidgetType())
        return going == widget || static_cast<const QWidget *>(going)->isAncestorOf(widget);
    return widget->window()->windowHandle() == going;
}

RecordTarget RecordTarget::of(QWidget *widget)
{
    RecordTarget target;
    target.widget = widget;
    return target;
}

RecordTarget RecordTarget::decided(const QString &window, const QString &address)
{
    RecordTarget target;
    target.window = window;
    target.address = address;
    target.resolved = true;
    return target;
}

RecordTarget RecordTarget::forKeys(QWidget *receiver)
{
    RecordTarget target = of(receiver);
    target.onWindow = receiver->isWindow();
    return target;
}

QString RecordedStep::requestLine() const
{
    if (isComment())
        return QStringLiteral("# ") + comment;
    return WireProtocol::extendedRequestLine(code, target.window, target.address, values);
}

namespace RecordedSteps {

namespace {

RecordedStep make(RequestCode code, const RecordTarget &target, const QStringList &values)
{
    RecordedStep step;
    step.code = int(code);
    step.target = target;
    step.values = values;
    return step;
}

} // namespace

RecordedStep activate(const RecordTarget &target, const QStringList &values)
{
    return make(RequestCode::Activate, target, values);
}

RecordedStep enter(const RecordTarget &target, const QString &text, bool secret)
{
    RecordedStep step =
        make(RequestCode::Enter, target, secret ? QStringList() : QStringList{"s:" + text});
    step.secret = secret;
    return step;
}

RecordedStep key(const RecordTarget &target, const QString &keys)
{
    return make(RequestCode::Key, target, {QStringLiteral("s:") + keys});
}

RecordedStep mouse(const RecordTarget &target, const QString &command)
{
    return make(RequestCode::Mouse, target, {QStringLiteral("s:") + command});
}

RecordedStep comment(const RecordTarget &target, const QString &text)
{
    RecordedStep step;
    step.target = target;
    step.comment = text;
    return step;
}

QStringList itemActivateValues(const QAbstractItemView *view, const QModelIndex &index)
{
    if (const auto *tree = qobject_cast<const QTreeView *>(view)) {
        return {QStringLiteral("s:") +
                STQTreeView::itemPath(tree, index, WireText::Mode::Extended)};
    }
    if (qobject_cast<const QTableView *>(view))
        return {QStringLiteral("s:") + STQTable::cellName(index)};
    if (const auto *list = qobject_cast<const QListView *>(view))
        return {STQListView::itemName(list, index)};
    return {QStringLiteral("s:") + STQAbstractItemView::modelIndexPath(view, index),
            QStringLiteral("s:ClearAndSelect")};
}

QString checkValue(bool checked)
{
    return checked ? QStringLiteral("b:true") : QStringLiteral("b:false");
}

QString stateValue(const QObject *checkable)
{
    const auto *box = qobject_cast<const QCheckBox *>(checkable);
    if (box && box->isTristate() && box->checkState() == Qt::PartiallyChecked)
        return QStringLiteral("s:PartiallyChecked");
    return checkValue(checkable->property("checked").toBool());
}

} // namespace RecordedSteps
