// Fuzzes bsrender's command line: the input, split at zero bytes, is the argument list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/bsrender/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args = {"bsrender"};
    std::string current;
    for (size_t i = 0; i < size && args.size() < 64; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    bsrender::Options options;
    std::string error;
    (void)bsrender::parseOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
    uint32_t ticks = 0;
    (void)bsrender::parseTime(current, &ticks);
    return 0;
}
