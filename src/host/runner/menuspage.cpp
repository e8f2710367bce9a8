#include "menuspage.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

MenusPage::MenusPage(QMenuBar *menuBar, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("menusPage"));
    menuBar->setObjectName(QStringLiteral("menuBar"));
    auto *edit = new QMenu(tr("&Edit"), menuBar);
    edit->setObjectName(QStringLiteral("editMenu"));
    fillMenu(edit);
    // Before the last menu (Help), as applications order them.
    const QList<QAction *> menus = menuBar->actions();
    menuBar->insertMenu(menus.isEmpty() ? nullptr : menus.last(), edit);

    auto *area = new QLabel(tr("Right-click here for a context menu"));
    area->setObjectName(QStringLiteral("contextArea"));
    area->setFrameShape(QFrame::StyledPanel);
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area, &QWidget::customContextMenuRequested, this, &MenusPage::showContextMenu);
    contextMenu = new QMenu(area);
    contextMenu->setObjectName(QStringLiteral("contextMenu"));
    fillMenu(contextMenu);

    result = new QLabel;
    result->setObjectName(QStringLiteral("menuResult"));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(area);
    layout->addWidget(result);
}

void MenusPage::fillMenu(QMenu *menu)
{
    auto show = [this](QAction *action) {
        connect(action, &QAction::triggered, this, [this, action] {
            result->setText(action->text().remove(QLatin1Char('&')) +
                            (action->isCheckable() && action->isChecked() ? " (on)" : ""));
        });
    };
    show(menu->addAction(tr("&Undo")));
    QMenu *insert = menu->addMenu(tr("&Insert"));
    QMenu *table = insert->addMenu(tr("&Table"));
    show(table->addAction(tr("&Row")));
    show(table->addAction(tr("&Column")));
    show(insert->addAction(tr("Date/Time")));
    menu->addSeparator();
    QAction *wrap = menu->addAction(tr("&Word wrap"));
    wrap->setCheckable(true);
    show(wrap);
    QAction *disabled = menu->addAction(tr("&Redo"));
    disabled->setEnabled(false);
    menu->addSeparator();
    menu->addAction(tr("&Properties..."), this, &MenusPage::askProperties);
}

void MenusPage::showContextMenu(const QPoint &pos)
{
    // Blocks in the menu's own event loop, as most applications' context menus do.
    contextMenu->exec(static_cast<QWidget *>(sender())->mapToGlobal(pos));
}

void MenusPage::askProperties()
{
    // A modal dialog with its own event loop, opened from inside the menu's.
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("propertiesDialog"));
    dialog.setWindowTitle(tr("Properties"));
    auto *form = new QFormLayout(&dialog);
    auto *name = new QLineEdit;
    name->setObjectName(QStringLiteral("propertyEdit"));
    form->addRow(tr("&Name:"), name);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() == QDialog::Accepted)
        result->setText(tr("Properties: %1").arg(name->text()));
    else
        result->setText(tr("Properties cancelled"));
}
