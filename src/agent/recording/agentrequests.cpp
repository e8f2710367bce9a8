#include "agentrequests.h"

namespace AgentRequests {

namespace {

int depth = 0;

} // namespace

Scope::Scope()
{
    ++depth;
}

Scope::~Scope()
{
    --depth;
}

int running()
{
    return depth;
}

} // namespace AgentRequests
