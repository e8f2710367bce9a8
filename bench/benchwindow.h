#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

// A window of exactly N widgets (itself and every descendant widget, Qt's own inner
// widgets included), built like a large form: sections of panels, each panel holding the
// same kinds of controls under the same names, so most names repeat and only the
// ancestors tell them apart. Every other panel hides its status label. A button at the
// top counts its clicks in a label next to it.
class BenchWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BenchWindow(int widgets);

    int widgetCount() const;
    QString title() const { return windowTitle(); }

    // Request lines and paths the benchmark uses: the line edit of the last panel, by the
    // full path that the widget-under-cursor request reports, by a gap, and by a made-up
    // button name.
    QString readPath() const;
    QString gapPath() const;
    QString madeUpPath() const;
    // The same line edit by a selector below its panel's name (the extended mode).
    QString selectorPath() const;
    QString readRequest() const;
    QString clickRequest() const;
    QString clickCountRequest() const;

private:
    QString lastSection;
    QString lastPanel;
    QLabel *clickCount = nullptr;
    int clicks = 0;
};

// A window of about N widgets in the shape of many real forms: a panel of boxed frames side
// by side, each holding group boxes, each holding styled inner frames full of labels,
// buttons, line edits and check boxes, with a layout at every level and every widget
// named. Its tree is deeper and its objects (layouts among them) more than BenchWindow's.
class NestedBenchWindow : public QWidget
{
    Q_OBJECT

public:
    explicit NestedBenchWindow(int widgets);
    QString title() const { return windowTitle(); }
};
