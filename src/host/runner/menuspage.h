#pragma once

#include <QWidget>

class QLabel;
class QMenu;
class QMenuBar;

// Menus to walk: an "Edit" menu added to the window's menu bar, with submenus, a checkable,
// a disabled and a slashed item, and a context menu on a field of its own. The chosen item
// shows in a label; "Properties..." asks for a name in a modal dialog first.
class MenusPage : public QWidget
{
    Q_OBJECT

public:
    explicit MenusPage(QMenuBar *menuBar, QWidget *parent = nullptr);

private:
    void fillMenu(QMenu *menu);
    void showContextMenu(const QPoint &pos);
    void askProperties();

    QLabel *result;
    QMenu *contextMenu;
};
