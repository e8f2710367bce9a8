#include "launchoptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace Launcher {

namespace {

const char usage[] = "usage: testclient-run [--port N] [--headless|--xvfb|--desktop] "
                     "[--screen WxH] [--timeout SECONDS] [--plain] -- PROGRAM [ARGS...]";
// The range of screen sides the plug-in accepts.
const long smallestScreenSide = 320;
const long largestScreenSide = 16384;

bool parseNumber(const char *text, long low, long high, long *value)
{
    char *end = nullptr;
    errno = 0;
    *value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && *value >= low && *value <= high;
}

// "WIDTHxHEIGHT", each side within the range the plug-in accepts.
bool isScreenSize(const std::string &text)
{
    const size_t x = text.find('x');
    long side = 0;
    return x != std::string::npos &&
           parseNumber(text.substr(0, x).c_str(), smallestScreenSide, largestScreenSide, &side) &&
           parseNumber(text.substr(x + 1).c_str(), smallestScreenSide, largestScreenSide, &side);
}

} // namespace

void fail(const std::string &message, int code)
{
    std::fprintf(stderr, "%s%s\n", prefix, message.c_str());
    std::exit(code);
}

Options parseOptions(int argc, char *argv[])
{
    Options options;
    // TESTCLIENT_EXTENDED=0 from whoever started us (testclient-driver --plain) means plain.
    const char *extended = std::getenv("TESTCLIENT_EXTENDED");
    if (extended && std::string(extended) == "0")
        options.extended = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        long value = 0;
        if (arg == "--") {
            ++i;
            break;
        } else if (arg == "--port" && i + 1 < argc && parseNumber(argv[i + 1], 1, 65535, &value)) {
            options.port = unsigned(value);
            ++i;
        } else if (arg == "--timeout" && i + 1 < argc &&
                   parseNumber(argv[i + 1], 1, 24 * 3600, &value)) {
            options.timeoutSeconds = int(value);
            ++i;
        } else if (arg == "--screen" && i + 1 < argc && isScreenSize(argv[i + 1])) {
            options.screen = argv[i + 1];
            ++i;
        } else if (arg == "--plain") {
            options.extended = false;
        } else if (arg == "--headless") {
            options.display = Display::Headless;
        } else if (arg == "--xvfb") {
            options.display = Display::Xvfb;
        } else if (arg == "--desktop") {
            options.display = Display::Desktop;
        } else if (arg == "--help" || arg == "-h") {
            std::printf("%s\n", usage);
            std::exit(0);
        } else if (!arg.empty() && arg[0] == '-') {
            fail("bad option " + arg + "\n" + usage);
        } else {
            break; // the program, without "--"
        }
    }
    for (; i < argc; ++i)
        options.command.push_back(argv[i]);
    if (options.command.empty())
        fail(std::string("no program given\n") + usage);
    return options;
}

} // namespace Launcher
