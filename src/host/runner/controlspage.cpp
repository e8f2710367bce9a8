#include "controlspage.h"

#include "coordedit.h"
#include "vcbutton.h"
#include "vcfrequency.h"
#include "vcscanwidget.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

template <typename T> static T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLayout *ControlsPage::buttonColumn()
{
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(named(new QPushButton(tr("&Push")), "pushButton"));
    buttons->addWidget(named(new QCheckBox(tr("&Check me")), "checkBox"));
    buttons->addWidget(named(new QRadioButton(tr("&Radio")), "radioButton"));

    auto *toolButton = named(new QToolButton, "toolButton");
    auto *toolMenu = named(new QMenu(toolButton), "toolMenu");
    toolMenu->addAction(tr("First"));
    toolMenu->addAction(tr("Second"));
    toolButton->setMenu(toolMenu);
    toolButton->setPopupMode(QToolButton::MenuButtonPopup);
    toolButton->setDefaultAction(new QAction(tr("Tool"), toolButton));
    buttons->addWidget(toolButton);

    buttons->addWidget(named(new VCButton(tr("VC &Button")), "vcButton"));

    auto *groupBox = named(new QGroupBox(tr("&Group")), "groupBox");
    groupBox->setCheckable(true);
    auto *groupLayout = new QVBoxLayout(groupBox);
    groupLayout->addWidget(named(new QRadioButton(tr("Inside")), "groupRadioButton"));
    buttons->addWidget(groupBox);
    buttons->addStretch(1);
    return buttons;
}

QLayout *ControlsPage::textColumn()
{
    auto *texts = new QFormLayout;
    texts->addRow(tr("Line"), named(new QLineEdit, "lineEdit"));
    auto *validated = named(new QLineEdit, "validatedLineEdit");
    validated->setValidator(new QIntValidator(0, 9999, validated));
    texts->addRow(tr("Integer"), validated);
    auto *masked = named(new QLineEdit, "maskedLineEdit");
    masked->setInputMask(QStringLiteral("99:99"));
    texts->addRow(tr("Masked"), masked);
    auto *coordEdit = named(new basecontrols::CoordEdit, "coordEdit");
    coordEdit->setText(QStringLiteral("+047.000000"));
    texts->addRow(tr("Coord"), coordEdit);
    auto *textEdit = named(new QTextEdit, "textEdit");
    textEdit->setMaximumHeight(64);
    texts->addRow(tr("Text"), textEdit);
    texts->addRow(tr("Frequency"), named(new VCFrequency, "vcFrequency"));
    auto *scan = named(new VCScanWidget, "vcScanWidget");
    scan->setProgress(40);
    texts->addRow(tr("Scan"), scan);
    return texts;
}

QLayout *ControlsPage::valueColumn()
{
    auto *values = new QFormLayout;
    values->addRow(tr("Spin"), named(new QSpinBox, "spinBox"));
    auto *doubleSpin = named(new QDoubleSpinBox, "doubleSpinBox");
    doubleSpin->setDecimals(2);
    values->addRow(tr("Double"), doubleSpin);
    auto *dateEdit = named(new QDateEdit(QDate(2020, 1, 1)), "dateEdit");
    dateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    values->addRow(tr("Date"), dateEdit);
    auto *timeEdit = named(new QTimeEdit(QTime(12, 0)), "timeEdit");
    timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    values->addRow(tr("Time"), timeEdit);
    auto *dateTimeEdit =
        named(new QDateTimeEdit(QDateTime(QDate(2020, 1, 1), QTime(12, 0))), "dateTimeEdit");
    dateTimeEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    values->addRow(tr("Date/time"), dateTimeEdit);
    auto *horizontal = named(new QSlider(Qt::Horizontal), "horizontalSlider");
    horizontal->setRange(0, 100);
    values->addRow(tr("Horizontal"), horizontal);
    return values;
}

ControlsPage::ControlsPage(QWidget *parent) : QWidget(parent)
{
    auto *vertical = named(new QSlider(Qt::Vertical), "verticalSlider");
    vertical->setRange(0, 20);
    vertical->setMinimumHeight(120);

    auto *layout = new QGridLayout(this);
    layout->addLayout(buttonColumn(), 0, 0);
    layout->addLayout(textColumn(), 0, 1);
    layout->addLayout(valueColumn(), 0, 2);
    layout->addWidget(vertical, 0, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(2, 1);
}
