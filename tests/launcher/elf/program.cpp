// The ELF files tst_qtlinkage reads: one main() built three ways (see CMakeLists.txt).

#ifdef WITH_QT
#include <QtGlobal>
#endif

#ifdef WITH_PRIVATE_LIBRARY
const char *privateQtVersion();
#endif

int main()
{
#if defined(WITH_QT)
    return qVersion()[0] == '\0'; // a use of Qt Core, kept by --as-needed
#elif defined(WITH_PRIVATE_LIBRARY)
    return privateQtVersion()[0] == '\0';
#else
    return 0;
#endif
}
