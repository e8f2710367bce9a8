#include "stqbutton.h"

#include "proxies/framework/clickareas.h"
#include "proxies/framework/sterror.h"

#include <QAbstractButton>

namespace {

const char notToggleButton[] = "Button is not a togglebutton";

} // namespace

QRect STQButton::clickArea(ClickPurpose purpose)
{
    QWidget *button = checkedWidget("QAbstractButton");
    if (button->inherits("QCheckBox"))
        return ClickAreas::checkBoxClickRect(button);
    if (button->inherits("QRadioButton"))
        return ClickAreas::radioButtonClickRect(button);
    if (button->inherits("QToolButton")) {
        // A right click goes to the middle of the whole button, as a user aims it.
        if (purpose == OtherMouseClick)
            return button->rect();
        if (purpose == ActivateClick)
            return ClickAreas::toolButtonPartRect(button, QStyle::SC_ToolButton);
        const QRect arrow = ClickAreas::toolButtonPartRect(button, QStyle::SC_ToolButtonMenu);
        return arrow.isValid() ? arrow : button->rect();
    }
    return button->rect();
}

void STQButton::activate(const QVariant &first, const QVariant & /*second*/)
{
    QWidget *w = checkedWidget("QAbstractButton");
    const bool hasState = first.isValid();
    if (hasState && first.userType() != QMetaType::Bool)
        typeError("bool, none");

    auto *button = static_cast<QAbstractButton *>(w);
    if (hasState && !button->isCheckable())
        raiseError(notToggleButton);

    if (hasState && button->isChecked() == first.toBool())
        return;

    flushEvents = false;
    clickCentre(button, clickArea(ActivateClick));
}

void STQButton::mouse(const QVariant &command)
{
    QWidget *button = checkedWidget("QAbstractButton");
    if (command.userType() != QMetaType::QString)
        typeError("string");

    const QString text = command.toString();
    const ClickPurpose purpose =
        text.endsWith(QLatin1String("LeftButton:::")) ? LeftMouseClick : OtherMouseClick;
    const QPoint point = button->mapToGlobal(clickArea(purpose).center());
    flushEvents = false;

    fixedMouseCommand(text, QStringLiteral(":::"), point);
}

QStringList STQButton::pseudoPropertyNames()
{
    return QStringList{QStringLiteral("text")};
}

QVariant STQButton::pseudoProperty(const char *name, const QVariant & /*parameter*/)
{
    if (qstrcmp(name, "text") != 0)
        return QVariant();
    auto *button = static_cast<QAbstractButton *>(checkedWidget("QAbstractButton"));
    return QVariant(withoutMnemonic(button->text()));
}
