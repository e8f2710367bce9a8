// inputhost: an application that knows nothing of the agent (testclient-run attaches it),
// made of what makes input miss its widget in real programs: a main window wider than
// Qt's offscreen screen with a menu far to the right, a field that takes no keyboard
// focus, a field that hands the focus to another window, a field below a scroll area's
// fold and a panel that slides in when asked. The label "outcome" shows what happened.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Gives the keyboard focus to another window whenever it gets it, as an application that
// brings a window of its own forward on focus would: at once for the application, and
// through the window system, so that the window system's later answer agrees.
class ThiefEdit : public QLineEdit
{
public:
    explicit ThiefEdit(QWidget *to) : to(to) {}

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        to->activateWindow();
        QApplication::setActiveWindow(to->window());
        to->setFocus();
    }

private:
    QWidget *to;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setObjectName(QStringLiteral("InputWindow"));
    window.setWindowTitle(QStringLiteral("Input"));
    window.move(0, 0);
    window.resize(1500, 700);
    auto *outcome = named(new QLabel, "outcome");

    // Menus across the whole bar: the last one starts well past x = 800.
    window.menuBar()->setObjectName(QStringLiteral("menuBar"));
    for (int i = 1; i <= 24; ++i)
        window.menuBar()
            ->addMenu(QStringLiteral("Menu %1").arg(i))
            ->addAction(QStringLiteral("Item"));
    window.menuBar()->addMenu(QStringLiteral("Far"))->addAction(QStringLiteral("Reach"), [outcome] {
        outcome->setText(QStringLiteral("reached"));
    });

    QLineEdit thiefTarget;
    thiefTarget.setObjectName(QStringLiteral("thiefTarget"));
    thiefTarget.setWindowTitle(QStringLiteral("Thief"));
    thiefTarget.move(1100, 800);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(outcome);
    layout->addWidget(named(new QLineEdit, "nameEdit"));
    auto *noFocusEdit = named(new QLineEdit, "noFocusEdit");
    noFocusEdit->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(noFocusEdit);
    layout->addWidget(named(new ThiefEdit(&thiefTarget), "thiefEdit"));

    auto *scroll = named(new QScrollArea, "scroll");
    scroll->setFixedHeight(120);
    auto *content = new QWidget;
    auto *contentLayout = new QVBoxLayout(content);
    for (int i = 0; i < 20; ++i)
        contentLayout->addWidget(new QLabel(QStringLiteral("Line %1").arg(i)));
    contentLayout->addWidget(named(new QLineEdit, "deepEdit"));
    scroll->setWidget(content);
    layout->addWidget(scroll);

    auto *slide = named(new QPushButton(QStringLiteral("Slide")), "slideButton");
    layout->addWidget(slide);
    layout->addStretch();
    window.setCentralWidget(central);

    // Starts above the window's top edge and slides down into view over 300 ms.
    auto *panel = named(new QWidget(central), "panel");
    panel->setGeometry(1000, -200, 300, 150);
    panel->setAutoFillBackground(true);
    named(new QLineEdit(panel), "panelEdit")->setGeometry(20, 60, 200, 30);
    QObject::connect(slide, &QPushButton::clicked, panel, [panel] {
        auto *animation = new QPropertyAnimation(panel, "pos", panel);
        animation->setDuration(300);
        animation->setEndValue(QPoint(1000, 200));
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    });

    thiefTarget.show();
    window.show();
    return app.exec();
}
