#pragma once

#include <QPushButton>

// The host's command button: a push button that can flash to show that the command it
// stands for is running.
class VCButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ isBusy WRITE setBusy NOTIFY busyChanged)

public:
    explicit VCButton(QWidget *parent = nullptr);
    explicit VCButton(const QString &text, QWidget *parent = nullptr);

    bool isBusy() const { return busy; }
    void setBusy(bool on);

signals:
    void busyChanged(bool busy);

private:
    bool busy = false;
};
