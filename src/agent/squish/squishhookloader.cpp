#include "squishhookloader.h"

#include "cvornproxy.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QtGlobal>

namespace {

// The wrapper's hook versions this agent knows to ask for, lowest first.
constexpr int firstHookVersion = 41100;
constexpr int lastHookVersion = 41299;

const char prefixVariable[] = "SQUISH_PREFIX";

using InitializeBuiltinHook = bool (*)(int);

QString compilerSuffix()
{
#if defined(_MSC_VER)
    switch (_MSC_VER) {
    case 1600:
        return QStringLiteral("_vs2010");
    case 1700:
        return QStringLiteral("_vs2012");
    case 1800:
        return QStringLiteral("_vs2013");
    case 1900:
        return QStringLiteral("_vs2015");
    default:
        break;
    }
#endif
    return QString();
}

} // namespace

QString wrapperVariantName(const QString &qtVersion)
{
    return QStringLiteral("qt") + QString(qtVersion).remove(QLatin1Char('.')) + compilerSuffix() +
           QStringLiteral("_x64");
}

QString wrapperVariantName()
{
    return wrapperVariantName(QStringLiteral(QT_VERSION_STR));
}

SquishAttachment attachSquish(const QString &wrapperVariant)
{
    SquishAttachment attachment;

    QString prefix = QString::fromLocal8Bit(qgetenv(prefixVariable));
    if (prefix.isEmpty())
        return attachment;

    // A prefix without the runner is taken to name a folder inside the installation
    // (typically its bin folder). Moved once, not checked again.
    if (!QFile::exists(prefix + QStringLiteral("/bin/squishrunner")))
        prefix = QDir::toNativeSeparators(
            QDir::cleanPath(QDir(prefix).absoluteFilePath(QStringLiteral(".."))));

    // Installations serving several Qt builds keep one tree per variant; the tool's own
    // libraries read the prefix from the environment, so they must see the variant tree.
    const QString variantDir = prefix + QLatin1Char('/') + wrapperVariant;
    if (QDir(variantDir).exists()) {
        prefix = variantDir;
        qputenv(prefixVariable, prefix.toUtf8());
    }

    // The QLibrary objects go out of scope without unload(): both libraries stay in the
    // process for its lifetime.
    QLibrary hook(prefix + QStringLiteral("/bin/squishhook"));
    if (!hook.load())
        return attachment;

    attachment.scriptProxy = new OxSquishProxy::CVornProxy("OxSquishProxy");
    attachment.hookVersion = 0;

    QLibrary wrapper(prefix + QStringLiteral("/bin/squishqtwrapper"));
    if (!wrapper.load())
        return attachment;
    const auto initialize = reinterpret_cast<InitializeBuiltinHook>(
        wrapper.resolve("qtwrapper_initialize_builtin_hook"));
    if (!initialize)
        return attachment;
    for (int version = firstHookVersion; version <= lastHookVersion; ++version) {
        if (initialize(version)) {
            attachment.hookVersion = version;
            break;
        }
    }
    return attachment;
}
