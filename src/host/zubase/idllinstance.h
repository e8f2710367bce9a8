#pragma once

#include <QString>

// The host's plug-in interface. The host keeps the pointer that a plug-in's
// ZuCreate returns and hands it back to ZuDestroy.
class IDllInstance
{
public:
    IDllInstance() = default;
    virtual ~IDllInstance();

    // Asked by the host after creation; a plug-in that is ready answers true.
    virtual bool initialize();
    // Called by the host when its document set changes and before unloading.
    virtual void refresh();
    virtual void shutdown();

    QString instanceName;
};
