#pragma once

#include <QMainWindow>

// The host application's main window: a gallery with a widget for every proxy to drive.
class GalleryWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget *parent = nullptr);

private:
    QWidget *createBasicsPage();
    void openDialog();
};
