#pragma once

#include <QGenericPlugin>

// The Qt generic plug-in "testclient": loaded by any Qt 5 application started with
// QT_QPA_GENERIC_PLUGINS=testclient (or -plugin testclient) and the plug-in folder in
// QT_PLUGIN_PATH. Options follow the key after a colon: "testclient:port=4243".
class TestClientPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "testclientplugin.json")

public:
    // Runs inside the application object's constructor; returns the object that attaches
    // the agent once the event loop runs. Qt owns it.
    QObject *create(const QString &key, const QString &specification) override;
};
