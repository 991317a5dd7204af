// Fuzzes the tools' readers of untrusted files: any bytes, read as each of the four package
// kinds and as a priority header, must give a verdict without reading outside the input, and a
// refusal always says why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/package_check.h"
#include "tools/common/priority_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that the sanitizer catches a read one byte past the end.
    const std::vector<uint8_t> image(data, data + size);
    const uint8_t* bytes = image.data();
    const auto length = static_cast<uint32_t>(image.size());
    const bs::CheckResult samples = bs::checkSamplePack(bytes, length);
    // When the bytes pass as a sample pack they also serve as the table the others refer to.
    bs::CheckContext context;
    if (samples.ok()) {
        context.samples.pack = bytes;
        context.samples.count = samples.count;
        for (uint32_t i = 0; i < samples.count; ++i)
            (void)context.samples.length(i);
    }
    context.instrumentCount = size > 0 ? data[0] : 0;
    for (bs::PackageKind kind : {bs::PackageKind::Instruments, bs::PackageKind::Effect, bs::PackageKind::Music}) {
        const bs::CheckResult result = bs::checkPackage(kind, bytes, length, context);
        if (result.warnings.size() > 9)
            __builtin_trap();  // at most eight, and the line that says more were left out
    }

    const std::string text(data, data + size);
    bs::PriorityTable table;
    std::string error;
    if (!bs::parsePriorityHeader(text, &table, &error) && error.empty())
        __builtin_trap();
    return 0;
}
