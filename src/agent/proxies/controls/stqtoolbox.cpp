#include "stqtoolbox.h"

#include "protocol/mnemonics.h"
#include "proxies/framework/sterror.h"

#include <QAbstractButton>
#include <QToolBox>

namespace {

const char buttonNotFound[] = "activate, ToolBoxButton not found";
const char buttonDisabled[] = "activate, ToolBoxButton is disabled";

// The object name QToolBox gives the header button of each of its pages.
const char headerButtonName[] = "qt_toolbox_toolboxbutton";

} // namespace

QString STQToolBox::pageText(const QString &text) const
{
    return extendedMode() ? Mnemonics::shownText(text) : text;
}

void STQToolBox::activate(const QVariant &first, const QVariant & /*second*/)
{
    QWidget *box = checkedWidget("QToolBox");
    if (first.userType() != QMetaType::QString)
        typeError("string");

    const QList<QAbstractButton *> headers =
        box->findChildren<QAbstractButton *>(QLatin1String(headerButtonName));
    if (headers.isEmpty())
        raiseError(buttonNotFound);
    // Compared ampersand and all; the extended mode also takes the text as the header shows
    // it, as its listing and its reads give it. A hidden header cannot be clicked.
    const QString text = first.toString();
    QAbstractButton *header = nullptr;
    for (QAbstractButton *candidate : headers) {
        if (candidate->isVisible() &&
            (candidate->text() == text || pageText(candidate->text()) == text)) {
            header = candidate;
            break;
        }
    }
    if (!header)
        raiseError(buttonNotFound);
    if (!header->isEnabled())
        raiseError(buttonDisabled);

    flushEvents = false;
    clickCentre(header);
}

QStringList STQToolBox::pseudoPropertyNames()
{
    return QStringList{QStringLiteral("itemList"), QStringLiteral("currentText")};
}

QVariant STQToolBox::pseudoProperty(const char *name, const QVariant & /*parameter*/)
{
    auto *box = static_cast<QToolBox *>(checkedWidget("QToolBox"));
    const QByteArray property(name);
    if (property == "itemList") {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items.append(pageText(box->itemText(i)));
        return items;
    }
    if (property == "currentText")
        return pageText(box->itemText(box->currentIndex()));
    return QVariant();
}

QToolBox *STQToolBox::toolBoxOfHeader(const QAbstractButton *button)
{
    if (!button || button->objectName() != QLatin1String(headerButtonName))
        return nullptr;
    return qobject_cast<QToolBox *>(button->parentWidget());
}

QString STQToolBox::pageName(const QAbstractButton *header)
{
    return Mnemonics::shownText(header->text());
}
