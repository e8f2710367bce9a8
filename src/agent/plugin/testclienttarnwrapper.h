#pragma once

#include "idllinstance.h"

class TestClient;

// The plug-in instance the host holds: owns the one agent object.
class TestClientTarnWrapper : public IDllInstance
{
public:
    explicit TestClientTarnWrapper(const QString &name);
    ~TestClientTarnWrapper() override;

    TestClient *client = nullptr;
};
