#include "stwidgetproxy.h"

#include "mousecommand.h"
#include "sterror.h"
#include "protocol/mnemonics.h"
#include "qtcompat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QMetaProperty>
#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdarg>
#include <cstdio>

namespace {

const char proxyWithoutWidget[] = "Internal error, proxy without widget";
const char proxyForOtherClass[] =
    "Internal error, proxy for class \"%s\", connected to widget of class \"%s\".";
const char activateNotImplemented[] = "\"activate\" is not implemented for widget of class \"%s\"";
const char enterNotImplemented[] = "\"enter\" is not implemented for widget of class \"%s\"";
const char unknownProperty[] = "Unknown property \"%s\".";
const char unknownKey[] = "Error: unknown key \"%1\" in \"%2\"";
const char noKeys[] = "Error: no key to press";
const char typeErrorFormat[] = "Type error: object \"%1\" of class \"%2\" accepts ";
const char rangeErrorFormat[] =
    "Type error: object \"%1\" of class \"%2\" accepts only values in the following range: %3.";

// A sub-window of a multiple-document area is a window to the user too. One that lies
// behind another sub-window, or on a background tab, is covered there: a click aimed at
// its widget would reach the sub-window in front, and the keys typed next would go into
// that one's focus widget. Bring every sub-window around the widget to the front of its
// area, outermost first, as a user would before clicking into it.
void raiseSubWindows(QWidget *widget)
{
    QList<QPointer<QMdiSubWindow>> subWindows;
    for (QWidget *w = widget; w && !w->isWindow(); w = w->parentWidget()) {
        if (auto *subWindow = qobject_cast<QMdiSubWindow *>(w))
            subWindows.prepend(subWindow);
    }
    for (const QPointer<QMdiSubWindow> &subWindow : qAsConst(subWindows)) {
        if (!subWindow)
            continue;
        QMdiArea *area = subWindow->mdiArea();
        if (area && area->activeSubWindow() != subWindow)
            area->setActiveSubWindow(subWindow);
        else if (!area)
            subWindow->raise();
    }
}

// Room left around a widget scrolled into view, as far as the view has it.
const int scrollMargin = 50;

// How far one scroll bar must move so that the span [start, end) of the content, given in
// the viewport's coordinates, is in the viewport [0, size): zero when it is. A span that
// fits is brought in whole, with some room around it where there is room; a longer one
// only so far that its leading edge shows, which is where proxies aim (a check box's
// indicator, a field's start) and where a user would start to read.
int scrollStep(int start, int end, int size)
{
    const int length = end - start;
    if (length <= size) {
        if (start >= 0 && end <= size)
            return 0;
        const int room = qMin(scrollMargin, (size - length) / 2);
        return start < 0 ? start - room : end - size + room;
    }
    return start >= 0 && start < size ? 0 : start;
}

// A widget below the fold of a scroll area can be neither clicked nor seen. Scroll each
// scroll area around it, innermost first, as a user would before reaching for it (see
// scrollStep). A widget already in view moves no scroll bar.
void scrollIntoView(QWidget *widget)
{
    // A scroll bar's signal runs application code, which may delete anything.
    const QPointer<QWidget> target(widget);
    QList<QPointer<QScrollArea>> areas;
    for (QWidget *w = target; !w->isWindow() && w->parentWidget();) {
        w = w->parentWidget();
        if (auto *area = qobject_cast<QScrollArea *>(w))
            areas.append(area);
    }
    for (const QPointer<QScrollArea> &area : qAsConst(areas)) {
        if (!target || !area || !area->widget() || !area->widget()->isAncestorOf(target))
            continue;
        const QWidget *viewport = area->viewport();
        const QRect inViewport(target->mapTo(viewport, QPoint()), target->size());
        const int across = scrollStep(inViewport.left(), inViewport.left() + inViewport.width(),
                                      viewport->width());
        const int down = scrollStep(inViewport.top(), inViewport.top() + inViewport.height(),
                                    viewport->height());
        QScrollBar *horizontal = area->horizontalScrollBar();
        horizontal->setValue(horizontal->value() + across);
        if (area)
            area->verticalScrollBar()->setValue(area->verticalScrollBar()->value() + down);
    }
}

QRect globalGeometry(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint()), widget->size());
}

// True when a click at the widget's centre would reach the widget or a widget inside it.
bool reachableAtCentre(const QWidget *widget)
{
    const QWidget *under = QApplication::widgetAt(widget->mapToGlobal(widget->rect().center()));
    return under && (under == widget || widget->isAncestorOf(under));
}

// An animation moves a widget in steps one frame apart (16 ms at 60 Hz): a widget whose
// place has not changed for three frames is at rest.
const int restMs = 50;

// True when `key` still waits for its key after its modifiers: "Ctrl+", but not "+" or
// "Ctrl++", which end in the plus key.
bool awaitsKey(const QString &key)
{
    return key.isEmpty() ||
           (key.endsWith(QLatin1Char('+')) && key.size() > 1 && !key.endsWith(QLatin1String("++")));
}

// The keys of a sequence in Qt's portable text form, each with its modifiers, as
// QKeySequence holds them ("Ctrl+S, Return" gives Ctrl+S and Return). A comma ends a key
// unless it is the key itself: alone or after the modifiers ("Ctrl+,"). Unlike
// QKeySequence, which keeps four keys and drops the rest silently, any number is read; a
// key that Qt does not know fails, naming it.
QVector<int> readKeys(const QString &text)
{
    QStringList names;
    QString name;
    for (const QChar c : text) {
        const QString key = name.trimmed();
        if (c == QLatin1Char(',') && !awaitsKey(key)) {
            names.append(key);
            name.clear();
        } else {
            name += c;
        }
    }
    names.append(name.trimmed());
    if (names.size() == 1 && names.first().isEmpty())
        raiseError(noKeys);

    QVector<int> keys;
    for (const QString &key : qAsConst(names)) {
        const QKeySequence sequence(key, QKeySequence::PortableText);
        if (sequence.count() != 1 || QtCompat::combinedKey(sequence, 0) == Qt::Key_unknown) {
            raiseWith(unknownKey, key, text);
        }
        keys.append(QtCompat::combinedKey(sequence, 0));
    }
    return keys;
}

const char *classNameOf(const QWidget *widget)
{
    return widget ? widget->metaObject()->className() : "unknown";
}

// Where a window goes so that a widget in it can be reached, the extended mode's way: a
// window that fits on the screen is only ever moved onto it (one that is already on it stays
// where it is); a larger one moves no further than it takes to show the widget, and never so
// far that the screen shows past its edge. Per axis; `widget` is relative to the frame.
QPoint placedOnScreen(const QRect &frame, const QRect &widget, const QRect &screen)
{
    const auto place = [](int start, int length, int widgetStart, int widgetLength, int first,
                          int room) {
        if (length <= room)
            return qBound(first, start, first + room - length);
        int wanted = start;
        if (start + widgetStart < first || widgetLength > room)
            wanted = first - widgetStart;
        else if (start + widgetStart + widgetLength > first + room)
            wanted = first + room - widgetStart - widgetLength;
        return qBound(first + room - length, wanted, first);
    };
    return QPoint(
        place(frame.x(), frame.width(), widget.x(), widget.width(), screen.x(), screen.width()),
        place(frame.y(), frame.height(), widget.y(), widget.height(), screen.y(), screen.height()));
}

} // namespace

STWidgetProxy::STWidgetProxy() = default;

STWidgetProxy::~STWidgetProxy() = default;

void STWidgetProxy::activate(const QVariant &, const QVariant &)
{
    raiseError(activateNotImplemented, classNameOf(widget));
}

void STWidgetProxy::enter(const QVariant &)
{
    raiseError(enterNotImplemented, classNameOf(widget));
}

void STWidgetProxy::typeInto(const QVariant &value)
{
    if (value.userType() != QMetaType::QString)
        typeError("string");
    clickCentre(checkedWidget());
    // The click may have closed it; its keys would then go unchecked.
    checkedWidget();
    awaitKeyFocus();
    // Line breaks and tabs as a keyboard types them, into editors of any class (QScintilla's).
    typeTextAsKeyboard(value.toString());
}

void STWidgetProxy::press(const QVariant &keys)
{
    if (keys.userType() != QMetaType::QString)
        typeError("string");
    const QVector<int> sequence = readKeys(keys.toString());
    // Without its widget the keys would go unchecked: the events processed while it was
    // brought into reach may have closed it.
    checkedWidget();
    focusOwner();
    pressKeys(sequence);
}

QVector<int> STWidgetProxy::keysOf(const QString &text)
{
    return readKeys(text);
}

void STWidgetProxy::mouse(const QVariant &command)
{
    QWidget *target = checkedWidget();
    if (command.userType() != QMetaType::QString)
        typeError("string");
    const MouseCommand parsed = MouseCommand::read(command.toString(), MouseCommand::Widget);
    const QPoint globalPos = target->mapToGlobal(parsed.pointIn(target->rect()));
    raiseWidgetWindow();
    parsed.perform(*this, globalPos);
}

QStringList STWidgetProxy::pseudoPropertyNames()
{
    return QStringList();
}

QVariant STWidgetProxy::pseudoProperty(const char *, const QVariant &)
{
    return QVariant();
}

QWidget *STWidgetProxy::inputOwner() const
{
    return widget;
}

void STWidgetProxy::attach(QWidget *widget, const QString &className)
{
    this->widget = widget;
    silkClassName = className;
}

QWidget *STWidgetProxy::checkedWidget(const char *requiredClass)
{
    if (!widget)
        raiseError(proxyWithoutWidget);
    if (requiredClass && !widget->inherits(requiredClass))
        raiseError(proxyForOtherClass, requiredClass, widget->metaObject()->className());
    return widget;
}

QVariant STWidgetProxy::getProperty(const char *name, const QVariant &parameter)
{
    QWidget *target = checkedWidget();
    const QByteArray property(name);

    if (property == "pseudoPropertyNames") {
        QStringList names{QStringLiteral("propertyNames"), QStringLiteral("pseudoPropertyNames"),
                          QStringLiteral("className"), QStringLiteral("silkClassName"),
                          QStringLiteral("globalRect")};
        names += pseudoPropertyNames();
        return names;
    }
    if (property == "propertyNames") {
        const QMetaObject *meta = target->metaObject();
        QStringList names;
        for (int i = 0; i < meta->propertyCount(); ++i)
            names.append(QString::fromLatin1(meta->property(i).name()));
        return names;
    }
    if (property == "className")
        return QString::fromLatin1(target->metaObject()->className());
    if (property == "silkClassName")
        return silkClassName;
    if (property == "globalRect") {
        raiseWidgetWindow();
        target = checkedWidget();
        return QRect(target->mapToGlobal(target->rect().topLeft()), target->size());
    }

    QVariant value;
    if (pseudoPropertyNames().contains(QString::fromLatin1(name)))
        value = pseudoProperty(name, parameter);
    else
        value = checkedWidget()->property(name);
    if (!value.isValid())
        raiseError(unknownProperty, name);
    return value;
}

QStringList STWidgetProxy::withItemGlobalRect(QStringList names) const
{
    if (extendedMode())
        names.append(QStringLiteral("itemGlobalRect"));
    return names;
}

void STWidgetProxy::raiseWithoutWidget()
{
    raiseError(proxyWithoutWidget);
}

void STWidgetProxy::raiseWidgetWindow()
{
    QWidget *target = checkedWidget();
    QWidget *window = target->window();
    if (window->isMinimized()) {
        window->showNormal();
        flush();
        target = checkedWidget();
        window = target->window();
    }
    window->activateWindow();
    window->raise();
    raiseSubWindows(target);
    target = checkedWidget();

    QRect widgetRect(target->mapToGlobal(QPoint(0, 0)), target->size());
    const QRect windowRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    if (widgetRect.intersects(windowRect) && extendedMode()) {
        const QRect frame = window->frameGeometry();
        const QPoint placed = placedOnScreen(frame, widgetRect.translated(-frame.topLeft()),
                                             target->screen()->availableGeometry());
        if (placed != frame.topLeft())
            window->move(placed);
    } else if (widgetRect.intersects(windowRect)) {
        const QRect available = target->screen()->availableGeometry();
        if (!available.contains(widgetRect)) {
            window->move(available.topLeft());
            widgetRect.translate(available.left() - windowRect.left(),
                                 available.top() - windowRect.top());
        }
        // Still off the screen (a widget far inside a big window): shift the window so
        // that the widget starts at the top-left of the screen.
        if (!available.contains(widgetRect))
            window->move(available.left() - widgetRect.left(), available.top() - widgetRect.top());
    }
    flush();
}

void STWidgetProxy::bringIntoReach()
{
    scrollIntoView(checkedWidget());
    raiseWidgetWindow();

    // Almost always the widget is there to be clicked and nothing is waited for. When
    // something else lies at its centre, it may still be on its way (a panel sliding in):
    // wait until it has stopped moving; the action then aims as usual, and fails as usual
    // when the widget is covered for good.
    QPointer<QWidget> target = checkedWidget();
    if (reachableAtCentre(target))
        return;
    QRect last = globalGeometry(target);
    QElapsedTimer still;
    still.start();
    waitUntil(
        [&] {
            if (!target)
                return true;
            const QRect now = globalGeometry(target);
            if (now != last) {
                last = now;
                still.restart();
            }
            return still.elapsed() >= restMs;
        },
        inputTimeoutMs());
}

QString STWidgetProxy::withoutMnemonic(const QString &text) const
{
    return Mnemonics::withoutMnemonic(text, mode);
}

void STWidgetProxy::typeError(const char *accepted)
{
    if (!widget)
        raiseError(proxyWithoutWidget);
    QString message =
        QString::fromLatin1(typeErrorFormat)
            .arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()));
    message += accepted ? QString::fromLatin1(accepted) : QStringLiteral("no parameter");
    message += QLatin1Char('.');
    raiseMessage(message);
}

void STWidgetProxy::rangeError(const char *format, ...)
{
    if (!widget)
        raiseError(proxyWithoutWidget);
    va_list args;
    va_start(args, format);
    const QString range = QString::vasprintf(format, args);
    va_end(args);
    raiseWith(rangeErrorFormat, widget->objectName(),
              QLatin1String(widget->metaObject()->className()), range);
}

void STWidgetProxy::fixedMouseCommand(const QString &command, const QString &suffix,
                                      const QPoint &globalPos)
{
    MouseCommand::read(command, MouseCommand::Fixed, suffix).perform(*this, globalPos);
}

void STWidgetProxy::clickCentre(QWidget *target, const QRect &area)
{
    aimedClick(target, target->mapToGlobal(area.center()));
}

void STWidgetProxy::clickCentre(QWidget *target)
{
    clickCentre(target, target->rect());
}
