#pragma once

#include <QTabWidget>

class QMainWindow;

// The gallery's widgets for choosing: combo boxes, a tab bar, a tool box, and a button that
// opens Qt's own file dialog, on tabs of their own; the main window adds the dock widgets.
// Whatever is chosen is announced for the status bar.
class ChoicesPage : public QTabWidget
{
    Q_OBJECT

public:
    explicit ChoicesPage(QWidget *parent = nullptr);

    // Two dock widgets, "Properties" and "History", stacked as tabs at the window's right.
    static void addDocks(QMainWindow *window);

signals:
    void announced(const QString &message);

private:
    QWidget *createChoicesTab();
    QWidget *createToolBoxTab();
    void openSaveDialog();
};
