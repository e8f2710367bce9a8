#pragma once

#include <QString>

namespace OxSquishProxy {
class CVornProxy;
}

// The name of the outside test tool's Qt wrapper variant for a Qt version: "qt", the
// version without dots, the compiler suffix (if any), "_x64"; qt5158_x64 for Qt 5.15.8.
QString wrapperVariantName(const QString &qtVersion);
// The variant matching this build: the Qt it was compiled against (qt642_x64 for Qt 6.4.2).
QString wrapperVariantName();

struct SquishAttachment
{
    int hookVersion = -1; // -1 no hook, 0 hook loaded, else the version the wrapper accepted
    OxSquishProxy::CVornProxy *scriptProxy = nullptr;
};

// Loads the hook and wrapper libraries of the installation that SQUISH_PREFIX names,
// registers the script-side helper object and reports what was attached. Without the
// variable nothing is loaded and hookVersion is -1.
SquishAttachment attachSquish(const QString &wrapperVariant);
