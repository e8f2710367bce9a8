#include "idllinstance.h"

IDllInstance::~IDllInstance() = default;

bool IDllInstance::initialize()
{
    return true;
}

void IDllInstance::refresh() {}

void IDllInstance::shutdown() {}
