// bsplay: plays packages through the host on the default sound device.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "files/command_line.h"
#include "host/host.h"
#include "options.h"
#include "player.h"
#include "terminal.h"

namespace {

int run(int argc, char** argv)
{
    startCommandLine(&argc, &argv);
    bsplay::Options options;
    std::string error;
    if (!bsplay::parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "bsplay: %s\n\n%s", error.c_str(), bsplay::kUsageText);
        return bsplay::kUsage;
    }
    if (options.help) {
        std::fputs(bsplay::kUsageText, stdout);
        return bsplay::kOk;
    }
    return bsplay::play(options);
}

// Nothing escapes: the host is closed, so that a WAV log still gets its
// header, and the failure is reported.
int failed(const char* what)
{
    bsplay::Terminal::endStatus();
    hx_close();
    std::fprintf(stderr, "bsplay: %s\n", what);
    return bsplay::kHostFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return failed("out of memory");
    } catch (const std::exception& exception) {
        return failed(exception.what());
    } catch (...) {
        return failed("unexpected failure");
    }
}
