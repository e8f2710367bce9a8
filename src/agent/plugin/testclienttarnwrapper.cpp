#include "testclienttarnwrapper.h"

#include "connection/testclient.h"

TestClientTarnWrapper::TestClientTarnWrapper(const QString &name, quint16 port, bool extended)
{
    instanceName = name;
    client = new TestClient(port, extended);
}

TestClientTarnWrapper::~TestClientTarnWrapper()
{
    if (client)
        client->dispose();
    client = nullptr;
}
