#include "keyarrival.h"
#include "stinputcontrol.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

EventArrival::EventArrival(QWidget *receiver, const QEvent *event)
    : receiver(receiver), event(event)
{
    receiver->installEventFilter(this);
}

EventArrival::~EventArrival()
{
    if (receiver)
        receiver->removeEventFilter(this);
}

bool EventArrival::eventFilter(QObject *, QEvent *delivered)
{
    if (delivered == event)
        arrived = true;
    return false;
}

ShortcutArrival::ShortcutArrival()
{
    QCoreApplication::instance()->installEventFilter(this);
}

ShortcutArrival::~ShortcutArrival()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool ShortcutArrival::eventFilter(QObject *receiver, QEvent *event)
{
    if (event->type() != QEvent::Shortcut || taken)
        return false;
    taken = true;
    takenBy = receiver;
    sequence = static_cast<QShortcutEvent *>(event)->key();
    // Seen before the shortcut's handler, which may click a button.
    if (QWidget *window = QApplication::activeWindow()) {
        const auto buttons = window->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            if (!button->isDown())
                upBefore.append(button);
        }
    }
    return false;
}

void ShortcutArrival::awaitClicks() const
{
    STInputControl::waitUntil(
        [this] {
            for (const QPointer<QAbstractButton> &button : upBefore) {
                if (button && button->isDown())
                    return false;
            }
            return true;
        },
        STInputControl::inputTimeoutMs());
}

QString ShortcutArrival::taker() const
{
    QString name = takenBy ? takenBy->objectName() : QString();
    if (const auto *action = qobject_cast<const QAction *>(takenBy.data()))
        name = action->text().isEmpty() ? name : action->text();
    return QStringLiteral("shortcut %1 of %2 \"%3\"")
        .arg(sequence.toString(QKeySequence::PortableText),
             takenBy ? QLatin1String(takenBy->metaObject()->className())
                     : QLatin1String("an object"),
             name);
}
