#include "gallerywindow.h"

#include "choicespage.h"
#include "controlspage.h"
#include "menuspage.h"
#include "tablespage.h"
#include "viewspage.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QVBoxLayout>

GalleryWindow::GalleryWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("gallery"));
    setWindowTitle(QStringLiteral("TestClient Gallery"));

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction *open =
        file->addAction(QStringLiteral("&Open dialog..."), this, &GalleryWindow::openDialog);
    open->setObjectName(QStringLiteral("openAction"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), qApp, &QApplication::quit);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(QStringLiteral("&About"));

    // One tab per topic, each small enough to fit a small screen (the offscreen platform's
    // is 800 by 600). A widget on a hidden tab cannot be driven: a script first chooses its
    // tab, as a user would ("5,TestClient,pages,,<hex of s:Views>,").
    auto *central = new QTabWidget;
    central->setObjectName(QStringLiteral("pages"));
    auto *basics = new QWidget;
    basics->setObjectName(QStringLiteral("central"));
    auto *layout = new QVBoxLayout(basics);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createBasicsPage());
    auto *controls = new ControlsPage;
    controls->setObjectName(QStringLiteral("controls"));
    layout->addWidget(controls);
    central->addTab(basics, QStringLiteral("&Basics"));
    central->addTab(new MenusPage(menuBar()), QStringLiteral("&Menus"));
    auto *choices = new ChoicesPage;
    choices->setObjectName(QStringLiteral("choices"));
    central->addTab(choices, QStringLiteral("&Choices"));
    central->addTab(new ViewsPage, QStringLiteral("&Views"));
    central->addTab(new TablesPage, QStringLiteral("&Tables"));
    setCentralWidget(central);
    ChoicesPage::addDocks(this);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->showMessage(QStringLiteral("Ready"));
    connect(choices, &ChoicesPage::announced, statusBar(),
            [this](const QString &message) { statusBar()->showMessage(message); });

    auto *tray = new QSystemTrayIcon(this);
    tray->setObjectName(QStringLiteral("trayIcon"));
}

QWidget *GalleryWindow::createBasicsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("basicsPage"));
    auto *form = new QFormLayout(page);

    auto *name = new QLineEdit;
    name->setObjectName(QStringLiteral("nameEdit"));
    form->addRow(QStringLiteral("&Name:"), name);

    auto *greet = new QPushButton(QStringLiteral("&Greet"));
    greet->setObjectName(QStringLiteral("greetButton"));
    auto *greeting = new QLabel;
    greeting->setObjectName(QStringLiteral("greetingLabel"));
    connect(greet, &QPushButton::clicked, greeting, [name, greeting] {
        greeting->setText(QStringLiteral("Hello, %1!").arg(name->text()));
    });
    form->addRow(greet, greeting);

    // No object name: addressed as "OpenDialog..._dialog_button".
    auto *dialogButton = new QPushButton(QStringLiteral("Open &Dialog..."));
    connect(dialogButton, &QPushButton::clicked, this, &GalleryWindow::openDialog);
    form->addRow(QStringLiteral("Modal:"), dialogButton);

    auto *disabled = new QPushButton(QStringLiteral("Disabled"));
    disabled->setObjectName(QStringLiteral("disabledButton"));
    disabled->setEnabled(false);
    form->addRow(QStringLiteral("Off:"), disabled);
    return page;
}

void GalleryWindow::openDialog()
{
    // Deleted when closed: an OK click destroys the widget that was clicked.
    auto *dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("confirmDialog"));
    dialog->setWindowTitle(QStringLiteral("Confirm"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QStringLiteral("Proceed?")));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->open();
}
