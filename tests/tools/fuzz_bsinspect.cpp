// Fuzzes bsinspect's reader and disassembler: any bytes, read as the package their magic names,
// must give a summary, a verdict and scripts without reading outside the input. A first byte
// below 4 writes the magic of one of the four kinds over the next four bytes, so that every
// kind is reached; the others leave the bytes as they are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/packages.h"
#include "tools/bsinspect/disassembly.h"
#include "tools/bsinspect/report.h"

using namespace bsinspect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const kMagics[] = {BS_MAGIC_SAMPLES, BS_MAGIC_INSTRUMENTS, BS_MAGIC_EFFECT, BS_MAGIC_MUSIC};
    // Whole words only: the image's storage is rounded up to them, so a read past the end of a
    // shorter input could go unnoticed.
    std::vector<uint8_t> bytes(data + 1, data + 1 + (size - 1) / 4 * 4);
    if (data[0] < 4 && bytes.size() >= BS_MAGIC_SIZE)
        std::memcpy(bytes.data(), kMagics[data[0]], BS_MAGIC_SIZE);
    std::vector<Package> packages;
    packages.push_back(packageFromBytes("fuzz.bin", bytes.data(), bytes.size()));
    checkPackages(packages);
    const Package& package = packages[0];
    if (package.kind && package.tableRead && entryTable(package).size() != package.count + 1)
        __builtin_trap();  // a row for every entry
    if (!package.kind && package.problem.empty())
        __builtin_trap();  // a refusal says why
    Sources sources;
    std::string error;
    if (!disassemble(packages, nullptr, &sources, &error))
        __builtin_trap();  // one package is never too many
    for (const Script& script : sources.scripts)
        if (script.text.empty() || script.name.empty())
            __builtin_trap();
    (void)jsonReport(packages, &sources);
    return 0;
}
