#pragma once

#include "idllinstance.h"

#include <QtGlobal>

class TestClient;

// The plug-in instance the host holds: owns the one agent object.
class TestClientTarnWrapper : public IDllInstance
{
public:
    // port: the test driver's port on the loopback host.
    // extended: the agent's extended mode (TestClient).
    TestClientTarnWrapper(const QString &name, quint16 port, bool extended = false);
    ~TestClientTarnWrapper() override;

    TestClient *client = nullptr;
};
