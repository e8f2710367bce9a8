#include "testclienttarnwrapper.h"

#include "testclient.h"

TestClientTarnWrapper::TestClientTarnWrapper(const QString &name)
{
    instanceName = name;
    client = new TestClient;
}

TestClientTarnWrapper::~TestClientTarnWrapper()
{
    if (client)
        client->dispose();
    client = nullptr;
}
