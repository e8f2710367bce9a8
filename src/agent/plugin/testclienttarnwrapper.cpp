#include "testclienttarnwrapper.h"

#include "testclient.h"

TestClientTarnWrapper::TestClientTarnWrapper(const QString &name, quint16 port)
{
    instanceName = name;
    client = new TestClient(port);
}

TestClientTarnWrapper::~TestClientTarnWrapper()
{
    if (client)
        client->dispose();
    client = nullptr;
}
