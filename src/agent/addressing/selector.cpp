#include "selector.h"

#include "protocol/mnemonics.h"
#include "protocol/wireprotocol.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDockWidget>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QStackedWidget>
#include <QStringBuilder>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolBox>
#include <QVariant>

#include <algorithm>

namespace {

const QChar quote = QLatin1Char('\'');

// "%XX" to the byte XX; the bytes of a value are UTF-8.
QString withoutPercentEscapes(const QString &value)
{
    if (!value.contains(QLatin1Char('%')))
        return value;
    QByteArray bytes;
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) == QLatin1Char('%') && i + 2 < value.size()) {
            const int high = WireProtocol::hexDigit(value.at(i + 1));
            const int low = WireProtocol::hexDigit(value.at(i + 2));
            if (high >= 0 && low >= 0) {
                bytes += char(high * 16 + low);
                i += 2;
                continue;
            }
        }
        bytes += QString(value.at(i)).toUtf8();
    }
    return QString::fromUtf8(bytes);
}

bool isKeyCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.');
}

bool isBareCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') ||
           c == QLatin1Char(':') || c == QLatin1Char('-');
}

QString plainText(const QString &text, Qt::TextFormat format)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

// The tab text of a tab widget's page, or the item text of a tool box's page.
bool pageTitle(const QWidget *widget, QString *title)
{
    // A tab widget holds its pages in a stacked widget of its own; a tool box shows each
    // page in a scroll area of its own (viewport, area), a few levels down.
    const QWidget *container = widget->parentWidget();
    if (container && qobject_cast<const QStackedWidget *>(container)) {
        if (auto tabs = qobject_cast<const QTabWidget *>(container->parentWidget())) {
            const int index = tabs->indexOf(const_cast<QWidget *>(widget));
            if (index >= 0) {
                *title = Mnemonics::shownText(tabs->tabText(index));
                return true;
            }
        }
    }
    for (int level = 0; container && level < 3; ++level, container = container->parentWidget()) {
        if (auto box = qobject_cast<const QToolBox *>(container)) {
            const int index = box->indexOf(const_cast<QWidget *>(widget));
            if (index < 0)
                return false;
            *title = Mnemonics::shownText(box->itemText(index));
            return true;
        }
    }
    return false;
}

// Reads a term's value, quoted or bare, from body at i and moves i past it; the reason it
// does not read, or null.
const char *readValue(const QString &body, int &i, bool hasKey, QString &value)
{
    const int size = body.size();
    if (i < size && body.at(i) == quote) {
        ++i;
        bool closed = false;
        while (i < size) {
            if (body.at(i) == quote) {
                if (i + 1 < size && body.at(i + 1) == quote) {
                    value += quote;
                    i += 2;
                    continue;
                }
                ++i;
                closed = true;
                break;
            }
            value += body.at(i++);
        }
        if (!closed)
            return "has a quote that is not closed";
        if (i < size && !body.at(i).isSpace())
            return "has no blank after a quoted value";
        return nullptr;
    }
    const int start = i;
    while (i < size && !body.at(i).isSpace()) {
        if (body.at(i) == quote)
            return "has a quote inside an unquoted value";
        ++i;
    }
    value = body.mid(start, i - start);
    if (!hasKey && value.isEmpty())
        return "has an empty term";
    return nullptr;
}

} // namespace

bool Selector::isSelector(const QString &element)
{
    return element.startsWith(QLatin1Char('{'));
}

Selector Selector::parse(const QString &element, QString *error)
{
    Selector selector;
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Selector %1 %2").arg(element, why);
        selector.termList.clear();
        selector.position = 0;
        selector.valid = false;
        return selector;
    };
    if (!element.startsWith(QLatin1Char('{')) || !element.endsWith(QLatin1Char('}')) ||
        element.size() < 2)
        return fail(QStringLiteral("is not closed by '}'"));

    const QString body = element.mid(1, element.size() - 2);
    const int size = body.size();
    int i = 0;
    while (true) {
        while (i < size && body.at(i).isSpace())
            ++i;
        if (i >= size)
            break;

        Term term;
        int start = i;
        while (i < size && isKeyCharacter(body.at(i)))
            ++i;
        const bool hasKey = i > start && i < size &&
                            (body.at(i) == QLatin1Char('=') || body.at(i) == QLatin1Char('~'));
        if (hasKey) {
            term.key = body.mid(start, i - start);
            term.contains = body.at(i) == QLatin1Char('~');
            ++i;
        } else {
            term.key = QStringLiteral("type");
            i = start;
        }

        if (const char *why = readValue(body, i, hasKey, term.value))
            return fail(QLatin1String(why));
        term.value = withoutPercentEscapes(term.value);

        if (term.key == QLatin1String("nth")) {
            bool ok = false;
            const int nth = term.value.toInt(&ok, 10);
            if (!ok || nth < 1 || term.contains)
                return fail(QStringLiteral("needs nth=N with N from 1"));
            selector.position = nth;
            continue;
        }
        selector.termList.append(term);
    }
    // The label term reads the widget's siblings; the other terms rule most widgets out first.
    std::stable_partition(selector.termList.begin(), selector.termList.end(),
                          [](const Term &term) { return term.key != QLatin1String("label"); });
    selector.valid = true;
    return selector;
}

QStringList Selector::splitPath(const QString &path)
{
    QStringList elements;
    QString current;
    const int size = path.size();
    int i = 0;
    while (i < size) {
        if (current.isEmpty() && path.at(i) == QLatin1Char('{')) {
            // A selector runs to its closing brace; quotes may hold braces and slashes.
            bool quoted = false;
            while (i < size) {
                const QChar c = path.at(i++);
                current += c;
                if (c == quote)
                    quoted = !quoted;
                else if (c == QLatin1Char('}') && !quoted)
                    break;
            }
            continue;
        }
        if (path.at(i) == QLatin1Char('/')) {
            elements.append(current);
            current.clear();
        } else {
            current += path.at(i);
        }
        ++i;
    }
    elements.append(current);
    return elements;
}

QString Selector::write(const QString &className, const QString &key, const QString &value)
{
    return QLatin1Char('{') % className % QLatin1Char(' ') % key % QLatin1Char('=') %
           writeValue(value) % QLatin1Char('}');
}

QString Selector::writePosition(const QString &className, int nth)
{
    return QLatin1Char('{') % className % QLatin1String(" nth=") % QString::number(nth) %
           QLatin1Char('}');
}

QString Selector::writeValue(const QString &value)
{
    bool bare = !value.isEmpty();
    for (const QChar c : value)
        bare = bare && isBareCharacter(c);
    if (bare)
        return value;

    QString written(quote);
    for (const QChar c : value) {
        if (c == quote) {
            written += QStringLiteral("''");
        } else if (c == QLatin1Char(',') || c == QLatin1Char('%') || c.unicode() < 0x20 ||
                   c.unicode() == 0x7f) {
            written +=
                QLatin1Char('%') +
                QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        } else {
            written += c;
        }
    }
    return written + quote;
}

bool Selector::matches(const QWidget *widget) const
{
    if (!valid)
        return false;
    for (const Term &term : termList) {
        const auto holds = [&term](const QString &actual) {
            return term.contains ? actual.contains(term.value) : actual == term.value;
        };
        const QString &key = term.key;
        bool held = false;
        if (key == QLatin1String("type")) {
            for (const QMetaObject *meta = widget->metaObject(); meta && !held;
                 meta = meta->superClass())
                held = holds(QString::fromLatin1(meta->className()));
        } else if (key == QLatin1String("name")) {
            held = holds(widget->objectName());
        } else if (key == QLatin1String("text")) {
            held = holds(SelectorText::visibleText(widget));
        } else if (key == QLatin1String("label")) {
            const QWidget *parent = widget->parentWidget();
            if (!parent)
                return false;
            // The labels of a parent's children are read once per selector and parent.
            auto labels = labelCache.find(parent);
            if (labels == labelCache.end())
                labels = labelCache.insert(parent, SelectorText::labelsOfChildren(parent));
            held = holds(labels->value(widget));
        } else if (key == QLatin1String("title") && widget->isWindow()) {
            held = holds(widget->windowTitle());
        } else if (key == QLatin1String("tooltip")) {
            held = holds(widget->toolTip());
        } else if (key == QLatin1String("accessible")) {
            held = holds(widget->accessibleName());
        } else {
            const QVariant value = widget->property(key.toLatin1().constData());
            if (!value.isValid())
                return false;
            held = holds(value.userType() == QMetaType::Bool
                             ? QLatin1String(value.toBool() ? "true" : "false")
                             : value.toString());
        }
        if (!held)
            return false;
    }
    return true;
}

namespace SelectorText {

QString visibleText(const QWidget *widget, QHash<const QMetaObject *, bool> *textProperties)
{
    if (auto button = qobject_cast<const QAbstractButton *>(widget))
        return Mnemonics::shownText(button->text());
    if (auto label = qobject_cast<const QLabel *>(widget))
        return Mnemonics::shownText(plainText(label->text(), label->textFormat()));
    if (auto edit = qobject_cast<const QLineEdit *>(widget)) {
        // A password field shows nothing to read: its value is never part of an address.
        return edit->echoMode() == QLineEdit::Normal ? edit->text() : QString();
    }
    if (auto group = qobject_cast<const QGroupBox *>(widget))
        return Mnemonics::shownText(group->title());
    if (auto menu = qobject_cast<const QMenu *>(widget))
        return Mnemonics::shownText(menu->title());
    if (auto combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (widget->isWindow() || qobject_cast<const QDockWidget *>(widget))
        return widget->windowTitle();
    QString title;
    if (pageTitle(widget, &title))
        return title;
    if (textProperties) {
        const QMetaObject *meta = widget->metaObject();
        auto declared = textProperties->constFind(meta);
        if (declared == textProperties->constEnd())
            declared = textProperties->insert(meta, meta->indexOfProperty("text") >= 0);
        // Without a declared one, only a dynamic property can be the text.
        if (!*declared && widget->dynamicPropertyNames().isEmpty())
            return QString();
    }
    const QVariant text = widget->property("text");
    return text.userType() == QMetaType::QString ? text.toString() : QString();
}

namespace {

void labelsInLayout(QLayout *layout, QHash<const QWidget *, QString> &labels)
{
    const auto note = [&labels](QLayoutItem *label, QLayoutItem *field) {
        if (label && field && field->widget() && qobject_cast<QLabel *>(label->widget()) &&
            !labels.contains(field->widget()))
            labels.insert(field->widget(), visibleText(label->widget()));
    };
    if (auto form = qobject_cast<QFormLayout *>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            note(form->itemAt(row, QFormLayout::LabelRole),
                 form->itemAt(row, QFormLayout::FieldRole));
    } else if (auto grid = qobject_cast<QGridLayout *>(layout)) {
        for (int index = 0; index < grid->count(); ++index) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            if (column > 0)
                note(grid->itemAtPosition(row, column - 1), grid->itemAt(index));
        }
    } else if (auto box = qobject_cast<QBoxLayout *>(layout)) {
        if (box->direction() == QBoxLayout::LeftToRight) {
            for (int index = 1; index < box->count(); ++index)
                note(box->itemAt(index - 1), box->itemAt(index));
        }
    }
    for (int index = 0; index < layout->count(); ++index) {
        if (QLayout *inner = layout->itemAt(index)->layout())
            labelsInLayout(inner, labels);
    }
}

} // namespace

QHash<const QWidget *, QString> labelsOfChildren(const QWidget *parent)
{
    QHash<const QWidget *, QString> labels;
    for (QObject *child : parent->children()) {
        if (auto label = qobject_cast<QLabel *>(child)) {
            if (label->buddy())
                labels.insert(label->buddy(), visibleText(label));
        }
    }
    if (QLayout *layout = parent->layout())
        labelsInLayout(layout, labels);
    return labels;
}

QString labelText(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    return parent ? labelsOfChildren(parent).value(widget) : QString();
}

} // namespace SelectorText
