#include "recordedfields.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace RecordedFields {

QString hexValue(const QString &typed)
{
    return QString::fromLatin1(typed.toUtf8().toHex());
}

QString requestLine(int code, const QString &window, const QString &address, const QString &typed)
{
    return QString::number(code) + QLatin1Char(',') + window + QLatin1Char(',') + address +
           QStringLiteral(",,") + (typed.isEmpty() ? QString() : hexValue(typed)) +
           QLatin1Char(',');
}

QString checkValue(bool checked)
{
    return hexValue(checked ? QStringLiteral("b:true") : QStringLiteral("b:false"));
}

QString stateValue(const QObject *checkable)
{
    const auto *box = qobject_cast<const QCheckBox *>(checkable);
    if (box && box->isTristate() && box->checkState() == Qt::PartiallyChecked)
        return hexValue(QStringLiteral("s:PartiallyChecked"));
    return checkValue(checkable->property("checked").toBool());
}

QComboBox *comboOfPopup(QWidget *widget)
{
    const QWidget *window = widget->window();
    if (!window->windowFlags().testFlag(Qt::Popup))
        return nullptr;
    return qobject_cast<QComboBox *>(window->parentWidget());
}

QWidget *fieldOf(QWidget *widget)
{
    if (auto *area =
            qobject_cast<QAbstractScrollArea *>(widget ? widget->parentWidget() : nullptr)) {
        if (area->viewport() == widget)
            widget = area;
    }
    if (!widget)
        return nullptr;
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        QWidget *parent = edit->parentWidget();
        if (qobject_cast<QAbstractSpinBox *>(parent))
            return parent;
        if (auto *combo = qobject_cast<QComboBox *>(parent))
            return combo->lineEdit() == edit ? combo : nullptr;
        return edit;
    }
    if (qobject_cast<QAbstractSpinBox *>(widget) || qobject_cast<QTextEdit *>(widget) ||
        qobject_cast<QPlainTextEdit *>(widget))
        return widget;
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->isEditable() ? combo : nullptr;
    return nullptr;
}

QString fieldText(const QWidget *field)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(field))
        return edit->text();
    if (const auto *box = qobject_cast<const QAbstractSpinBox *>(field)) {
        // What is typed: without the prefix and suffix that QSpinBox shows around it.
        const QVariant clean = box->property("cleanText");
        return clean.isValid() ? clean.toString() : box->text();
    }
    if (const auto *combo = qobject_cast<const QComboBox *>(field))
        return combo->currentText();
    if (const auto *edit = qobject_cast<const QTextEdit *>(field))
        return edit->toPlainText();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(field))
        return edit->toPlainText();
    return QString();
}

bool hidesText(const QWidget *field)
{
    const auto *edit = qobject_cast<const QLineEdit *>(field);
    return edit && edit->echoMode() != QLineEdit::Normal;
}

} // namespace RecordedFields
