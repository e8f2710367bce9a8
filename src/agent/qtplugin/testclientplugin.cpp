#include "testclientplugin.h"

#include "attachedagent.h"

QObject *TestClientPlugin::create(const QString &key, const QString &specification)
{
    if (key.compare(QLatin1String("testclient"), Qt::CaseInsensitive) != 0)
        return nullptr;
    return new AttachedAgent(specification);
}
