#pragma once

#include <QLineEdit>

// The host's numeric field. It shows a committed value; Insert switches it into edit
// mode (the whole value selected), Return commits the typed number and Escape drops it.
class VCNumeric : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY valueCommitted)

public:
    explicit VCNumeric(int decimals = 3, QWidget *parent = nullptr);

    double value() const { return committed; }
    void setValue(double value);
    bool isEditing() const { return editing; }

signals:
    void valueCommitted(double value);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void commit();
    void revert();

    int decimals;
    double committed = 0.0;
    bool editing = false;
};
