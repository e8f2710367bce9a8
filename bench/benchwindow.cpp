#include "benchwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

// The controls of one panel, under the same names in every panel.
int addPanelControls(QWidget *panel, int index)
{
    new QLabel(QStringLiteral("Name:"), panel);
    named(new QLineEdit(panel), "edit")->setText(QStringLiteral("value %1").arg(index));
    new QPushButton(QStringLiteral("&Apply"), panel);
    new QPushButton(QStringLiteral("Cancel"), panel);
    named(new QCheckBox(QStringLiteral("Option"), panel), "option");
    auto *tool = new QToolButton(panel);
    tool->addAction(named(new QAction(QStringLiteral("Refresh"), tool), "refresh"));
    named(new QLabel(QStringLiteral("ok"), panel), "status")->setVisible(index % 2 == 0);
    new QFrame(panel);
    named(new QRadioButton(QStringLiteral("Choice"), panel), "choice");
    return 9;
}

const int panelsPerSection = 10;

} // namespace

BenchWindow::BenchWindow(int widgets)
{
    setObjectName(QStringLiteral("bench"));
    setWindowTitle(QStringLiteral("Bench %1").arg(widgets));
    setGeometry(0, 0, 800, 600);

    auto *click = named(new QPushButton(QStringLiteral("Click"), this), "clickTarget");
    click->setGeometry(10, 10, 120, 30);
    clickCount = named(new QLabel(QStringLiteral("0"), this), "clickCount");
    clickCount->setGeometry(140, 10, 120, 30);
    connect(click, &QPushButton::clicked, this,
            [this] { clickCount->setText(QString::number(++clicks)); });

    // The controls pile up without a layout below the button row: a layout of ten
    // thousand widgets would only slow the start, and the requests measured don't care.
    auto *content = named(new QWidget(this), "content");
    content->setGeometry(0, 50, 800, 550);

    int count = widgetCount();
    QWidget *section = nullptr;
    for (int panelIndex = 0; count + 10 + 1 <= widgets; ++panelIndex) {
        if (panelIndex % panelsPerSection == 0) {
            lastSection = QStringLiteral("section%1").arg(panelIndex / panelsPerSection);
            section = named(new QWidget(content), lastSection);
            ++count;
        }
        lastPanel = QStringLiteral("panel%1").arg(panelIndex);
        count += 1 + addPanelControls(named(new QWidget(section), lastPanel), panelIndex);
    }
    // Fill up to the exact count with plain widgets.
    while (count < widgets) {
        new QWidget(content);
        ++count;
    }
}

int BenchWindow::widgetCount() const
{
    return findChildren<QWidget *>().size() + 1;
}

QString BenchWindow::readPath() const
{
    return QStringLiteral("bench/content/%1/%2/edit").arg(lastSection, lastPanel);
}

QString BenchWindow::gapPath() const
{
    return lastPanel + QStringLiteral("//edit");
}

QString BenchWindow::madeUpPath() const
{
    return lastPanel + QStringLiteral("/Apply_dialog_button");
}

QString BenchWindow::selectorPath() const
{
    return lastPanel + QStringLiteral("//{QLineEdit nth=1}");
}

QString BenchWindow::readRequest() const
{
    return QStringLiteral("7,%1,%2,,text,").arg(title(), readPath());
}

QString BenchWindow::clickRequest() const
{
    return QStringLiteral("5,%1,bench/clickTarget,,,").arg(title());
}

QString BenchWindow::clickCountRequest() const
{
    return QStringLiteral("7,%1,bench/clickCount,,text,").arg(title());
}

NestedBenchWindow::NestedBenchWindow(int widgets)
{
    setObjectName(QStringLiteral("nested"));
    setWindowTitle(QStringLiteral("Nested %1").arg(widgets));
    setGeometry(0, 0, 800, 600);
    auto *panel = named(new QFrame(this), QStringLiteral("panel"));
    panel->setFrameShape(QFrame::Box);
    auto *columns = new QHBoxLayout(panel);
    // Each inner frame is 1 + 8 controls; each group box 1 + 4 frames; each column 1 + 4 boxes.
    const int perFrame = 9;
    const int perBox = 1 + 4 * perFrame;
    const int perColumn = 1 + 4 * perBox;
    int count = 2;
    for (int c = 0; count + perColumn <= widgets; ++c) {
        const QString column = QStringLiteral("column%1").arg(c);
        auto *frame = named(new QFrame(panel), column);
        frame->setFrameShape(QFrame::Box);
        columns->addWidget(frame);
        auto *boxes = new QHBoxLayout(frame);
        for (int b = 0; b < 4; ++b) {
            const QString box = column + QStringLiteral("_box%1").arg(b);
            auto *group = named(new QGroupBox(box, frame), box);
            boxes->addWidget(group);
            auto *grid = new QGridLayout(group);
            for (int f = 0; f < 4; ++f) {
                const QString inner = box + QStringLiteral("_frame%1").arg(f);
                auto *cell = named(new QFrame(group), inner);
                cell->setStyleSheet(QStringLiteral("QFrame { border: 1px solid gray; }"));
                grid->addWidget(cell, f / 2, f % 2);
                auto *controls = new QGridLayout(cell);
                for (int k = 0; k < 2; ++k) {
                    const QString n = inner + QStringLiteral("_%1").arg(k);
                    controls->addWidget(named(new QLabel(n, cell), n + "_label"), k, 0);
                    controls->addWidget(named(new QLineEdit(cell), n + "_edit"), k, 1);
                    controls->addWidget(named(new QPushButton(n, cell), n + "_button"), k, 2);
                    controls->addWidget(named(new QCheckBox(n, cell), n + "_check"), k, 3);
                }
            }
        }
        count += perColumn;
    }
}
