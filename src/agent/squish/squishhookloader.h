#pragma once

#include <QString>

namespace OxSquishProxy {
class CVornProxy;
}

// The name of the outside test tool's Qt wrapper variant matching this build:
// "qt", the Qt version without dots, the compiler suffix (if any), "_x64".
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
