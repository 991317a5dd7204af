// Fuzzes bsrender's package checks: any bytes, read as each of the four package kinds, must
// give a verdict without reading outside the image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/bsrender/package_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that the sanitizer catches a read one byte past the end.
    const std::vector<uint8_t> image(data, data + size);
    const uint8_t* bytes = image.data();
    const auto length = static_cast<uint32_t>(image.size());
    const bsrender::CheckResult samples = bsrender::checkSamplePack(bytes, length);
    // When the bytes pass as a sample pack they also serve as the table the others refer to.
    bsrender::SampleTable table;
    if (samples.ok()) {
        table.pack = bytes;
        table.count = samples.count;
        for (uint32_t i = 0; i < table.count; ++i)
            (void)table.length(i);
    }
    (void)bsrender::checkInstrumentPack(bytes, length, table);
    (void)bsrender::checkSoundEffect(bytes, length, table);
    (void)bsrender::checkMusicTrack(bytes, length, size > 0 ? data[0] : 0);
    return 0;
}
