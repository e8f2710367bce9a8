// Stand-in for the outside tool's Qt wrapper library.
//
// qtwrapper_initialize_builtin_hook(version) returns true only for the version given in
// the environment variable SQUISH_STANDIN_ACCEPT, read at each call (none when unset or
// not a number). Every call is counted and the highest version asked for is kept, so a
// test can check that the agent stopped at the first accepted version. When
// SQUISH_STANDIN_LOG names a file, each call also appends the version as one line.
//
// SQUISH_STANDIN_THROW makes the first call fail the way a broken installation might:
// "zu" throws the host framework's exception, "std" a standard exception, "int" an int.
// Tests use it to see how a failure while the agent is being created is reported.

#include "zubase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int calls = 0;
int highest = 0;
} // namespace

STANDIN_EXPORT bool qtwrapper_initialize_builtin_hook(int version)
{
    if (const char *failure = std::getenv("SQUISH_STANDIN_THROW")) {
        if (std::strcmp(failure, "zu") == 0)
            throw ZuException(QStringLiteral("wrapper failed"), QStringLiteral("hook.cpp"),
                              QStringLiteral("Wrapper"), QStringLiteral("init"), 7, 0x2a);
        if (std::strcmp(failure, "std") == 0)
            throw std::runtime_error("wrapper failed");
        if (std::strcmp(failure, "int") == 0)
            throw 42;
    }

    ++calls;
    if (version > highest)
        highest = version;

    if (const char *log = std::getenv("SQUISH_STANDIN_LOG")) {
        if (std::FILE *file = std::fopen(log, "a")) {
            std::fprintf(file, "%d\n", version);
            std::fclose(file);
        }
    }

    const char *accept = std::getenv("SQUISH_STANDIN_ACCEPT");
    if (!accept || !*accept)
        return false;
    char *end = nullptr;
    const long accepted = std::strtol(accept, &end, 10);
    return *end == '\0' && accepted == version;
}

STANDIN_EXPORT int qtwrapper_standin_calls()
{
    return calls;
}

STANDIN_EXPORT int qtwrapper_standin_highest()
{
    return highest;
}
