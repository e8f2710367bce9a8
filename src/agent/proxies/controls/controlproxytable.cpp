#include "proxies/proxytable.h"
#include "proxies/framework/stwidgetproxy.h"
#include "stqbutton.h"
#include "stqcheckbox.h"
#include "stqcombobox.h"
#include "stqdatetimeedit.h"
#include "stqdockwidget.h"
#include "stqfiledialog.h"
#include "stqgroupbox.h"
#include "stqlineedit.h"
#include "stqplaintextedit.h"
#include "stqslider.h"
#include "stqspinbox.h"
#include "stqstatusbar.h"
#include "stqtabbar.h"
#include "stqtabwidget.h"
#include "stqtextedit.h"
#include "stqtoolbox.h"
#include "stvcfrequency.h"

// The registry rows of the control proxies. Classes served by the base proxy for now
// still get a row, so that their subclasses resolve to them and not to QWidget.
void registerControlProxies(ProxyTable &table)
{
    table.insert(QStringLiteral("QLabel"), new STWidgetProxy);

    // Buttons
    table.insert(QStringLiteral("QAbstractButton"), new STQButton);
    table.insert(QStringLiteral("QPushButton"), new STQButton);
    table.insert(QStringLiteral("QToolButton"), new STQButton);
    table.insert(QStringLiteral("QRadioButton"), new STQButton);
    table.insert(QStringLiteral("QCheckBox"), new STQCheckBox);
    table.insert(QStringLiteral("QGroupBox"), new STQGroupBox);
    table.insert(QStringLiteral("VCButton"), new STQButton);

    // Text and value entry
    table.insert(QStringLiteral("QLineEdit"), new STQLineEdit);
    table.insert(QStringLiteral("QTextEdit"), new STQTextEdit);
    table.insert(QStringLiteral("QPlainTextEdit"), new STQPlainTextEdit);
    table.insert(QStringLiteral("QSlider"), new STQSlider);
    table.insert(QStringLiteral("QSpinBox"), new STQSpinBox);
    table.insert(QStringLiteral("QDoubleSpinBox"), new STQSpinBox);
    table.insert(QStringLiteral("QDateTimeEdit"), new STQDateTimeEdit);
    table.insert(QStringLiteral("QDateEdit"), new STQDateTimeEdit);
    table.insert(QStringLiteral("QTimeEdit"), new STQDateTimeEdit);
    table.insert(QStringLiteral("VCFrequency"), new STVCFrequency);
    table.insert(QStringLiteral("VCScanWidget"), new STWidgetProxy);

    // Combo box
    table.insert(QStringLiteral("QComboBox"), new STQComboBox);

    // Tabs, tool box, dock
    table.insert(QStringLiteral("QTabBar"), new STQTabBar);
    table.insert(QStringLiteral("QTabWidget"), new STQTabWidget);
    table.insert(QStringLiteral("QToolBox"), new STQToolBox);
    table.insert(QStringLiteral("QDockWidget"), new STQDockWidget);

    // File dialog, status bar
    table.insert(QStringLiteral("QFileDialog"), new STQFileDialog);
    table.insert(QStringLiteral("QStatusBar"), new STQStatusBar);
}
