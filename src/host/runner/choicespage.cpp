#include "choicespage.h"

#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTabBar>
#include <QToolBox>

template <typename T> static T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

ChoicesPage::ChoicesPage(QWidget *parent) : QTabWidget(parent)
{
    addTab(createChoicesTab(), tr("&Choices"));
    addTab(createToolBoxTab(), tr("&Tool box"));
    setTabToolTip(0, tr("Combo boxes & files"));
    setTabToolTip(1, tr("Pages of a &tool box"));
}

QWidget *ChoicesPage::createChoicesTab()
{
    auto *tab = named(new QWidget, "choicesTab");
    auto *form = new QFormLayout(tab);

    // Green twice: a text names the first of its items.
    auto *colour = named(new QComboBox, "colourCombo");
    colour->addItems({tr("Red"), tr("Green"), tr("Blue"), tr("Green"), tr("Cyan")});
    connect(colour, QOverload<int>::of(&QComboBox::activated), this, [this, colour](int index) {
        emit announced(tr("Colour %1: %2").arg(index).arg(colour->itemText(index)));
    });
    form->addRow(tr("Colour"), colour);

    auto *city = named(new QComboBox, "cityCombo");
    city->setEditable(true);
    city->addItems({tr("Berlin"), tr("Paris"), tr("Rome")});
    form->addRow(tr("City"), city);

    auto *units = named(new QTabBar, "unitsTabBar");
    units->addTab(tr("&Metric"));
    units->addTab(tr("&Imperial"));
    units->setTabToolTip(1, tr("Miles & pounds"));
    connect(units, &QTabBar::currentChanged, this, [this, units](int index) {
        emit announced(tr("Units: %1").arg(units->tabText(index).remove(QLatin1Char('&'))));
    });
    form->addRow(tr("Units"), units);

    auto *save = named(new QPushButton(tr("Save &as...")), "saveAsButton");
    connect(save, &QPushButton::clicked, this, &ChoicesPage::openSaveDialog);
    form->addRow(save, named(new QLabel, "savedLabel"));
    return tab;
}

QWidget *ChoicesPage::createToolBoxTab()
{
    auto *box = named(new QToolBox, "toolBox");
    box->addItem(named(new QLabel(tr("Circles and squares")), "shapesPage"), tr("&Shapes"));
    box->addItem(named(new QLabel(tr("Reds and blues")), "coloursPage"), tr("Colours"));
    box->addItem(named(new QLabel(tr("Small to large")), "sizesPage"), tr("Sizes"));
    box->addItem(named(new QLabel(tr("Not yet")), "lockedPage"), tr("Locked"));
    box->setItemEnabled(3, false);
    connect(box, &QToolBox::currentChanged, this,
            [this, box](int index) { emit announced(tr("Page: %1").arg(box->itemText(index))); });
    return box;
}

void ChoicesPage::openSaveDialog()
{
    // Qt's own dialog, so that its widgets can be driven; open() rather than exec(), so
    // that no request waits inside the dialog's event loop.
    auto *dialog = named(new QFileDialog(this, tr("Save report"), QDir::tempPath()), "saveDialog");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &file) {
        findChild<QLabel *>(QStringLiteral("savedLabel"))->setText(file);
        emit announced(tr("Saved as %1").arg(QFileInfo(file).fileName()));
    });
    dialog->open();
}

void ChoicesPage::addDocks(QMainWindow *window)
{
    auto *properties = named(new QDockWidget(tr("Properties"), window), "propertiesDock");
    auto *list = named(new QListWidget, "propertiesList");
    list->addItems({tr("Width: 10"), tr("Height: 20")});
    // Narrow, so that the whole window, dock tabs included, fits a small screen (the
    // offscreen platform's is 800 by 600).
    list->setMaximumWidth(100);
    properties->setWidget(list);
    auto *history = named(new QDockWidget(tr("History"), window), "historyDock");
    auto *historyLabel = named(new QLabel(tr("Nothing done yet")), "historyLabel");
    historyLabel->setWordWrap(true);
    history->setWidget(historyLabel);
    window->addDockWidget(Qt::RightDockWidgetArea, properties);
    window->addDockWidget(Qt::RightDockWidgetArea, history);
    // Stacked later, History starts in front.
    window->tabifyDockWidget(properties, history);
}
