// nestedloophost: a small application whose input handlers wait in event loops of their
// own (QDialog::exec, QMenu::exec, a message box), with the agent created through
// ZuCreate like the host runner does. Every handler appends what it saw to the label
// "outcome" ("dialog:text;", "menu:Second;"), so a test reads the effects back.
// Closing its standard input quits it normally (the agent is then destroyed by ZuDestroy).

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

private:
    std::function<void()> onRelease;
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
            box.button(QMessageBox::No)->setObjectName(QStringLiteral("noButton"));
            box.exec();
            record(box.clickedButton() == box.button(QMessageBox::Yes) ? QStringLiteral("box:yes")
                                                                       : QStringLiteral("box:no"));
        }
        QLineEdit::keyPressEvent(event);
    }
};

QPushButton *closingButton(const char *name, QDialog *dialog, bool accepts)
{
    auto *button = named(new QPushButton(QString::fromLatin1(name)), name);
    QObject::connect(button, &QPushButton::clicked, dialog,
                     accepts ? &QDialog::accept : &QDialog::reject);
    return button;
}

void innerDialog(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Inner Dialog"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(closingButton("innerOk", &dialog, true));
    record(dialog.exec() == QDialog::Accepted ? QStringLiteral("inner:accepted")
                                              : QStringLiteral("inner:rejected"));
}

void editDialog(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Edit Dialog"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = named(new QLineEdit, "dialogEdit");
    layout->addWidget(edit);
    layout->addWidget(named(new Pad([&dialog] { innerDialog(&dialog); }), "morePad"));
    layout->addWidget(named(new Pad([] {
                                ZuDestroy(agent);
                                agent = nullptr;
                            }),
                            "destroyPad"));
    layout->addWidget(named(new Pad([] { QApplication::quit(); }), "quitPad"));
    layout->addWidget(closingButton("okButton", &dialog, true));
    layout->addWidget(closingButton("cancelButton", &dialog, false));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    record(QStringLiteral("dialog:") + (accepted ? edit->text() : QStringLiteral("rejected")));
}

void selfDeletingDialog(QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Self Deleting"));
    auto *layout = new QVBoxLayout(dialog);
    auto *close = named(new QPushButton(QStringLiteral("Close")), "closeButton");
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    layout->addWidget(close);
    const QPointer<QDialog> guard(dialog);
    dialog->exec();
    record(guard ? QStringLiteral("still there") : QStringLiteral("deleted"));
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
    layout->addWidget(named(new Pad([&window] { selfDeletingDialog(&window); }), "deletePad"));
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
