#include "testclienttarnwrapper.h"

#include "testclient.h"

TestClientTarnWrapper::TestClientTarnWrapper(const QString &name)
{
    instanceName = name;
    client = new TestClient;
}

TestClientTarnWrapper::~TestClientTarnWrapper()
{
    delete client;
    client = nullptr;
}
