// Fuzzes bsplay's readers of untrusted files: the package header checks (the
// first byte picks the kind) and the priority header parser (kind 4).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "package_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string error;
    unsigned kind = data[0] % 5;
    if (kind == 4) {
        std::map<std::string, int> priorities;
        std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
        if (!bsplay::parsePriorities(text, "fuzz.h", &priorities, &error) && error.empty())
            __builtin_trap();
        return 0;
    }
    bool ok = bsplay::checkPackage(data + 1, size - 1, static_cast<bsplay::PackageKind>(kind),
                                   "fuzz", &error);
    if (ok == !error.empty())
        __builtin_trap(); // a failure always says why, a success says nothing
    return 0;
}
