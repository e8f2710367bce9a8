#include "stqbutton.h"

#include "proxies/framework/sterror.h"

#include <QAbstractButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionToolButton>
#include <QToolButton>

namespace {

const char NotToggleButton[] = "Button is not a togglebutton";

} // namespace

QRect STQButton::clickArea(ClickPurpose purpose)
{
    QWidget *button = checkedWidget("QAbstractButton");
    QStyle *style = button->style();

    if (button->inherits("QCheckBox")) {
        QStyleOptionButton option;
        option.initFrom(button);
        return style->subElementRect(QStyle::SE_CheckBoxClickRect, &option, button);
    }
    if (button->inherits("QRadioButton")) {
        QStyleOptionButton option;
        option.initFrom(button);
        return style->subElementRect(QStyle::SE_RadioButtonClickRect, &option, button);
    }
    if (button->inherits("QToolButton")) {
        // A right click goes to the middle of the whole button, as a user aims it.
        if (purpose == OtherMouseClick)
            return button->rect();
        QStyleOptionToolButton option;
        option.initFrom(button);
        if (static_cast<QToolButton *>(button)->popupMode() == QToolButton::MenuButtonPopup) {
            option.subControls |= QStyle::SC_ToolButtonMenu;
            option.features |= QStyleOptionToolButton::MenuButtonPopup;
        }
        if (purpose == ActivateClick)
            return style->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton,
                                         button);
        const QRect arrow = style->subControlRect(QStyle::CC_ToolButton, &option,
                                                  QStyle::SC_ToolButtonMenu, button);
        return arrow.isValid() ? arrow : button->rect();
    }
    return button->rect();
}

void STQButton::activate(const QVariant &first, const QVariant & /*second*/)
{
    QWidget *w = checkedWidget("QAbstractButton");
    const bool hasState = first.isValid();
    if (hasState && first.type() != QVariant::Bool)
        typeError("bool, none");

    auto *button = static_cast<QAbstractButton *>(w);
    if (hasState && !button->isCheckable())
        raiseError(NotToggleButton);

    const QPoint point = button->mapToGlobal(clickArea(ActivateClick).center());
    if (hasState && button->isChecked() == first.toBool())
        return;

    flushEvents = false;
    mouseClick(point, Qt::LeftButton);
}

void STQButton::mouse(const QVariant &command)
{
    QWidget *button = checkedWidget("QAbstractButton");
    if (command.type() != QVariant::String)
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
    return QVariant(stripMnemonic(button->text()));
}
