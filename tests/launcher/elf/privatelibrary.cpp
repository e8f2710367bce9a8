// A program's private library that links Qt Core, so that the program itself does not.

#include <QtGlobal>

const char *privateQtVersion()
{
    return qVersion();
}
