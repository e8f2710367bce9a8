// A stand-in for a Qt Widgets program that never gets as far as its application object:
// it links Qt 5 Widgets, then waits for a signal.

#include <QApplication>

#include <unistd.h>

int main()
{
    QApplication::setCursorFlashTime(1000);
    ::pause();
    return 0;
}
