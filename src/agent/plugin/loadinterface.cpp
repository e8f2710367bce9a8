#include "loadinterface.h"

#include "agentinstance.h"
#include "connection/testclient.h"

extern "C" IDllInstance *ZuCreate(const char16_t *name)
{
    return createAgentInstance(name, TestClient::driverPort);
}

extern "C" void ZuDestroy(IDllInstance *instance)
{
    destroyAgentInstance(instance);
}
