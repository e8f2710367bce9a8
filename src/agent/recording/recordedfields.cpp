#include "recordedfields.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QScrollBar>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace RecordedFields {

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

QAbstractItemView *viewOfCellEditor(const QWidget *field)
{
    // The delegate opens the editor of the current cell in the viewport, where the view
    // hands it out as that cell's index widget.
    const QWidget *viewport = field ? field->parentWidget() : nullptr;
    auto *view = qobject_cast<QAbstractItemView *>(viewport ? viewport->parentWidget() : nullptr);
    if (!view || view->viewport() != viewport || !view->currentIndex().isValid() ||
        view->indexWidget(view->currentIndex()) != field)
        return nullptr;
    return view;
}

QWidget *wheelTarget(QWidget *receiver)
{
    for (QWidget *w = receiver; w && !w->isWindow(); w = w->parentWidget()) {
        if (qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w))
            return w;
        if (qobject_cast<QAbstractSlider *>(w) && !qobject_cast<QScrollBar *>(w))
            return w;
        if (qobject_cast<QAbstractScrollArea *>(w))
            return w;
    }
    return nullptr;
}

QString wheelValue(const QWidget *changed)
{
    if (qobject_cast<const QAbstractSpinBox *>(changed))
        return QStringLiteral("s:") + fieldText(changed);
    if (const auto *slider = qobject_cast<const QAbstractSlider *>(changed))
        return QStringLiteral("i:") + QString::number(slider->value());
    if (const auto *combo = qobject_cast<const QComboBox *>(changed))
        return QStringLiteral("s:") + combo->currentText();
    return QString();
}

} // namespace RecordedFields
