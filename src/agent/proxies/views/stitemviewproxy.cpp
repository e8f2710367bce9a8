#include "stitemviewproxy.h"

#include "proxies/framework/mousecommand.h"
#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QCoreApplication>
#include <QPointer>
#include <QStringListModel>

namespace {

const char noCurrentItem[] = "No item is current";
const char notCheckable[] = "Current item is not checkable";
const char currentItemNotVisible[] = "Current item not visible";
const char keyTooLong[] = "terminating key is more than one character";
const char lineEditValidateError[] = "enter, QLineEdit validate error\n";
const char spinBoxValidateError[] = "enter, QAbstractSpinBox validate error\n";

const QChar escapeChar('\\');

} // namespace

QAbstractItemModel *STItemViewProxy::modelOf(const QAbstractItemView *view)
{
    if (QAbstractItemModel *model = view->model())
        return model;
    // Owned by the application, so that it goes with the application's other objects
    // rather than after them, when static objects are destroyed at exit.
    static QPointer<QStringListModel> empty;
    if (!empty)
        empty = new QStringListModel(QCoreApplication::instance());
    return empty;
}

QRect STItemViewProxy::itemRect(const QAbstractItemView *view, const QModelIndex &index)
{
    if (!index.isValid())
        return QRect();
    return view->visualRect(index) & view->viewport()->rect();
}

QRect STItemViewProxy::itemGlobalRect(const QAbstractItemView *view, const QModelIndex &index)
{
    const QRect rect = itemRect(view, index);
    return rect.translated(view->viewport()->mapToGlobal(QPoint(0, 0)));
}

QPoint STItemViewProxy::itemMousePoint(const QAbstractItemView *view, const QModelIndex &index,
                                       bool refuseInvisible)
{
    QRect target = view->viewport()->rect();
    if (index.isValid()) {
        target = itemRect(view, index);
        if (refuseInvisible && target.isEmpty())
            raiseError(currentItemNotVisible);
    }
    return view->viewport()->mapToGlobal(target.center());
}

QVariant STItemViewProxy::itemFlagProperty(const QAbstractItemView *view, const QByteArray &name,
                                           const QModelIndex &item)
{
    const Qt::ItemFlags flags = item.flags();
    if (name == "itemIsEnabled")
        return bool(flags & Qt::ItemIsEnabled);
    if (name == "itemIsSelectable")
        return bool(flags & Qt::ItemIsSelectable);
    if (name == "itemIsSelected")
        return view->selectionModel() && view->selectionModel()->isSelected(item);
    if (name == "itemIsCheckable")
        return bool(flags & Qt::ItemIsUserCheckable);
    if (name == "itemIsChecked")
        return item.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return QVariant();
}

void STItemViewProxy::focusItemView(const char *viewClass, int steps, const char *refusal)
{
    if ((steps & SkipWhenFocused) && checkedWidget(viewClass)->hasFocus())
        return;
    // Each step may run the application's handlers, which may delete the view: it is looked
    // up afresh after each one.
    const bool stepwise = (steps & Stepwise) != 0;
    if (stepwise) {
        flush();
        checkedWidget(viewClass)->raise();
        flush();
    }
    checkedWidget(viewClass)->activateWindow();
    if (stepwise)
        flush();
    checkedWidget(viewClass)->setFocus(Qt::OtherFocusReason);
    if (steps & PressUp)
        stepKeyClick(Qt::Key_Up);
    flush();
    if (stepwise && !checkedWidget(viewClass)->hasFocus()) {
        checkedWidget(viewClass)->setFocus(Qt::OtherFocusReason);
        flush();
    }
    // Scripts compare a refusal byte for byte, and one holds a UTF-8 sequence: the plain
    // mode, which writes each character of a message as one byte, reads each byte as one.
    if (!checkedWidget(viewClass)->hasFocus())
        raiseMessage(extendedMode() ? QString::fromUtf8(refusal) : QString::fromLatin1(refusal));
}

QModelIndex STItemViewProxy::currentItemToEnter(const QAbstractItemView *view,
                                                const QVariant &value)
{
    if (value.userType() != QMetaType::Bool && value.userType() != QMetaType::QString)
        typeError("bool string");
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        raiseError(noCurrentItem);
    return current;
}

void STItemViewProxy::requireCheckable(const QModelIndex &index)
{
    if (!(index.flags() & Qt::ItemIsUserCheckable))
        raiseError(notCheckable);
}

bool STItemViewProxy::pressUntil(int key, Qt::KeyboardModifiers modifiers, int limit,
                                 const std::function<bool()> &reached)
{
    for (int press = 0; press < limit; ++press) {
        stepKeyClick(key, modifiers);
        if (reached())
            return true;
    }
    return false;
}

void STItemViewProxy::spaceClick(Qt::KeyboardModifiers modifiers)
{
    textKeyClick(Qt::Key_Space, modifiers, QStringLiteral(" "));
}

QChar STItemViewProxy::terminatingKey(const QVariant &key)
{
    if (!key.isValid())
        return QChar();
    if (key.userType() != QMetaType::QString)
        typeError("string");
    const QString text = key.toString();
    if (text.size() > 1)
        raiseError(keyTooLong);
    return text.isEmpty() ? QChar() : text.at(0);
}

void STItemViewProxy::sendTerminatingKey(QChar key)
{
    if (key.isNull())
        return;
    // The key may close the view's window; the reply must go out first.
    flushEvents = false;
    charClick(key);
}

void STItemViewProxy::editCurrentItem(const QString &text)
{
    keyClick(Qt::Key_F2);
    QApplication::clipboard()->setText(text, QClipboard::Clipboard);
    // Pasting over a selection of the whole text lets a validator or mask judge the new
    // text as a whole, where typing would pass through refused intermediate texts.
    keyClick(Qt::Key_End);
    keyClick(Qt::Key_Home, Qt::ShiftModifier);
    keyClick(Qt::Key_V, Qt::ControlModifier);

    // Only an editor that holds the focus is the one that was opened; any other focus
    // widget (the view itself, when it has no editor for the item) is not judged.
    QWidget *editor = QApplication::focusWidget();
    if (editor && editor == checkedWidget()->focusWidget()) {
        if (auto *lineEdit = qobject_cast<QLineEdit *>(editor)) {
            if (lineEdit->text() != text)
                raiseError(lineEditValidateError);
        } else if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(editor)) {
            if (spinBox->text() != text)
                raiseError(spinBoxValidateError);
        }
    }

    flushEvents = false;
    keyClick(Qt::Key_Return);
}

void STItemViewProxy::itemMouseCommand(const QString &command, const QPoint &globalPos)
{
    // The whole command is queued and handled after the reply.
    flushEvents = false;
    MouseCommand::read(command, MouseCommand::ItemView).perform(*this, globalPos);
}

QString STItemViewProxy::replyItemText(const QString &text, WireText::Mode mode)
{
    if (mode == WireText::Mode::Plain)
        return text;
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (isEscaped(c))
            escaped += escapeChar;
        escaped += c;
    }
    return escaped;
}

bool STItemViewProxy::isEscaped(QChar c)
{
    return c == escapeChar || c == QLatin1Char('/') || c == QLatin1Char(':');
}

QString STItemViewProxy::unescapedItemText(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == escapeChar && i + 1 < text.size() && isEscaped(text.at(i + 1)))
            ++i;
        plain += text.at(i);
    }
    return plain;
}
