#include "stqcombobox.h"

#include "proxies/framework/sterror.h"
#include "protocol/wiretext.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QThread>

namespace {

const char unknownItem[] = "activate, QComboBox unknown item %1";
const char invalidIndex[] = "activate, QComboBox invalid index %d";
const char readOnly[] = "enter, QComboBox is read only";

// The list of a non-editable box animates open on some styles; keys sent before it has
// settled can be lost. The wait keeps the GUI thread still, so nothing else runs meanwhile.
const int popupSettleMs = 200;

} // namespace

void STQComboBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    auto *box = static_cast<QComboBox *>(checkedWidget("QComboBox"));
    if (first.userType() != QMetaType::QString && first.userType() != QMetaType::Int)
        typeError("string, integer");

    int target = -1;
    if (first.userType() == QMetaType::QString) {
        // Exact and first match: duplicates resolve to the topmost item, as a user reads.
        const QString text = first.toString();
        for (int i = 0; i < box->count() && target < 0; ++i) {
            if (box->itemText(i) == text)
                target = i;
        }
        if (target < 0)
            raiseWith(unknownItem, text);
    } else {
        target = first.toInt();
        if (target < 0 || target >= box->count())
            raiseError(invalidIndex, target);
    }

    const bool editable = box->isEditable();
    if (!editable && target == box->currentIndex())
        return;

    // Opens the list of a non-editable box; the click is flushed, so the list is shown
    // before the keys below are aimed at it.
    clickCentre(box->lineEdit() ? static_cast<QWidget *>(box->lineEdit()) : box);
    QThread::msleep(popupSettleMs);
    if (editable)
        keyClick(Qt::Key_Up);

    // The click or the key may have run application code that closed the window.
    box = static_cast<QComboBox *>(checkedWidget("QComboBox"));
    const int current = box->currentIndex();
    // Without a current item the walk counts from the first row: that is where the
    // opened list puts its cursor when it takes the focus.
    const int from = current < 0 ? 0 : current;
    const int key = from < target ? Qt::Key_Down : Qt::Key_Up;
    for (int step = qAbs(target - from); step > 0; --step)
        keyClick(key);

    // An editable box changes its current item with each arrow key: nothing to confirm.
    if (editable)
        return;
    // Handled before the reply, like every key before it: the item is chosen and the list
    // closed when the request answers.
    keyClick(Qt::Key_Return);
}

void STQComboBox::enter(const QVariant &value)
{
    auto *box = static_cast<QComboBox *>(checkedWidget("QComboBox"));
    if (value.userType() != QMetaType::QString)
        typeError("string");
    QPointer<QLineEdit> edit = box->lineEdit();
    if (!box->isEditable() || !edit)
        raiseError(readOnly);

    clickCentre(edit);
    // Fails with the framework's message when the click took the box away.
    checkedWidget("QComboBox");
    if (edit && !edit->text().isEmpty())
        clearField();
    // No Return: the box's completion and insert policy stay out of it.
    typeText(value.toString());
    flushEvents = false;
}

QStringList STQComboBox::pseudoPropertyNames()
{
    return QStringList{QStringLiteral("itemList")};
}

QVariant STQComboBox::pseudoProperty(const char *name, const QVariant & /*parameter*/)
{
    if (qstrcmp(name, "itemList") != 0)
        return QVariant();
    auto *box = static_cast<QComboBox *>(checkedWidget("QComboBox"));
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}
