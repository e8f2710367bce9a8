#pragma once

#include <string>
#include <vector>

// testclient-run's command line, and how it ends on its own failures.

namespace Launcher {

// The exit status of the launcher's own failures (bad usage, no Xvfb): 125, as env(1) has.
constexpr int launcherFailed = 125;
// Every line the launcher writes starts with it.
constexpr char prefix[] = "testclient-run: ";

enum class Display { Headless, Xvfb, Desktop };

struct Options
{
    unsigned port = 4242;
    Display display = Display::Headless;
    int timeoutSeconds = 30;
    std::string screen = "1920x1080"; // the headless and the Xvfb display's, WIDTHxHEIGHT
    bool extended = true; // the agent's extended mode; --plain keeps to the protocol alone
    std::vector<std::string> command;
};

// Reads the options, or ends the launcher with its usage on a bad one (--help: 0).
Options parseOptions(int argc, char *argv[]);

// Writes the message with the launcher's prefix and exits with `code`.
[[noreturn]] void fail(const std::string &message, int code = launcherFailed);

} // namespace Launcher
