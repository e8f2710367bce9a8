#pragma once

#include <QWidget>

class QLayout;

// One of each button and entry widget the agent drives, named so that test scripts can
// address them: the controls tab of the host's gallery window.
class ControlsPage : public QWidget
{
    Q_OBJECT

public:
    explicit ControlsPage(QWidget *parent = nullptr);

private:
    // The page's columns: buttons, text entry, value entry.
    static QLayout *buttonColumn();
    static QLayout *textColumn();
    static QLayout *valueColumn();
};
