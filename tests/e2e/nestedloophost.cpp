// nestedloophost: an application whose input handlers wait in event loops of their own
// (QDialog::exec, QMenu::exec, a message box), with the agent created through ZuCreate
// like the host runner does. Handlers append what they saw to the label "outcome"
// ("Edit Dialog:text;", "menu:Second;"). Closing its standard input quits it normally.

#include "idllinstance.h"
#include "plugin/loadinterface.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include <functional>
#include <unistd.h>

namespace {

IDllInstance *agent = nullptr;
QLabel *outcome = nullptr;

void record(const QString &entry)
{
    outcome->setText(outcome->text() + entry + QLatin1Char(';'));
}

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A plain widget that runs code when a mouse button is released on it (any button) or
// a context menu is asked for.
class Pad : public QWidget
{
public:
    explicit Pad(std::function<void()> onRelease) : onRelease(std::move(onRelease))
    {
        setFixedSize(80, 24);
    }
    std::function<void()> onRelease;
    std::function<void(const QPoint &)> onContextMenu;

protected:
    void mouseReleaseEvent(QMouseEvent *) override
    {
        if (onRelease)
            onRelease();
    }
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (onContextMenu)
            onContextMenu(event->globalPos());
    }
};

// Asks a question in a message box when '?' is typed, then takes the key.
class QuestionEdit : public QLineEdit
{
protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->text() == QLatin1String("?")) {
            QMessageBox box(QMessageBox::Question, QStringLiteral("Question Box"),
                            QStringLiteral("Proceed?"), QMessageBox::Yes | QMessageBox::No, this);
            box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("yesButton"));
            box.exec();
            record(box.clickedButton() == box.button(QMessageBox::Yes) ? QStringLiteral("box:yes")
                                                                       : QStringLiteral("box:no"));
        }
        QLineEdit::keyPressEvent(event);
    }
};

// Waits in exec() for a dialog with the given widgets above its buttons "okButton" and
// "cancelButton", then records "<title>:" and the text of its line edit when accepted,
// "rejected", or "deleted" when it deleted itself on closing.
void runDialog(QWidget *parent, const QString &title, const QWidgetList &widgets,
               bool deleteOnClose = false)
{
    auto *dialog = new QDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    auto *ok = named(new QPushButton(QStringLiteral("OK")), "okButton");
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    auto *cancel = named(new QPushButton(QStringLiteral("Cancel")), "cancelButton");
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    layout->addWidget(ok);
    layout->addWidget(cancel);

    const QPointer<QDialog> guard(dialog);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!guard) {
        record(title + QStringLiteral(":deleted"));
        return;
    }
    const auto *edit = dialog->findChild<QLineEdit *>();
    record(title + QLatin1Char(':') +
           (!accepted ? QStringLiteral("rejected")
            : edit    ? edit->text()
                      : QStringLiteral("ok")));
    delete dialog;
}

// The dialog of most tests: a line edit, a pad that opens a second dialog, and pads that
// destroy the agent or quit the application from inside a request.
void editDialog(QWidget *parent)
{
    auto *more = named(new Pad(nullptr), "morePad");
    more->onRelease = [more] { runDialog(more->window(), QStringLiteral("Inner Dialog"), {}); };
    runDialog(parent, QStringLiteral("Edit Dialog"),
              {named(new QLineEdit, "dialogEdit"), more,
               named(new Pad([] {
                         ZuDestroy(agent);
                         agent = nullptr;
                     }),
                     "destroyPad"),
               named(new Pad([] { QApplication::quit(); }), "quitPad")});
}

void contextMenu(QWidget *parent, const QPoint &globalPos)
{
    QMenu menu(parent);
    menu.setObjectName(QStringLiteral("padMenu"));
    menu.addAction(QStringLiteral("First"));
    menu.addAction(QStringLiteral("Second"));
    const QAction *chosen = menu.exec(globalPos);
    record(QStringLiteral("menu:") + (chosen ? chosen->text() : QStringLiteral("none")));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setObjectName(QStringLiteral("host"));
    window.setWindowTitle(QStringLiteral("Nested Host"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(named(new QLineEdit, "mainEdit"));
    outcome = named(new QLabel, "outcome");
    layout->addWidget(outcome);
    layout->addWidget(named(new Pad([&window] { editDialog(&window); }), "dialogPad"));
    auto *menuPad = named(new Pad(nullptr), "menuPad");
    menuPad->onContextMenu = [menuPad](const QPoint &pos) { contextMenu(menuPad, pos); };
    layout->addWidget(menuPad);
    layout->addWidget(named(new QuestionEdit, "questionEdit"));
    auto *open = named(new QPushButton(QStringLiteral("Open")), "openButton");
    QObject::connect(open, &QPushButton::clicked, &window, [&window] { editDialog(&window); });
    layout->addWidget(open);
    layout->addWidget(
        named(new Pad([&window] { runDialog(&window, QStringLiteral("Self Deleting"), {}, true); }),
              "deletePad"));
    window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            input.setEnabled(false);
            QApplication::quit();
        }
    });

    agent = ZuCreate(u"NestedLoopHost");
    const int result = app.exec();
    if (agent)
        ZuDestroy(agent);
    return result;
}
