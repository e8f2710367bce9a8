#pragma once

#include <QMainWindow>

class QTabWidget;

// The host application's main window: a gallery with a widget for every proxy to drive.
class GalleryWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }

private:
    QWidget *createBasicsPage();
    void openDialog();

    QTabWidget *m_pages;
};
