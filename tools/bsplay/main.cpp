// bsplay: plays packages through the host on the default sound device.
#include <cstdio>
#include <string>

#include "options.h"
#include "player.h"

int main(int argc, char** argv)
{
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
