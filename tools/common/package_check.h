// Checks of package images before the engine sees them. The engine takes what it is given and
// drops what it cannot use without a word; the tools say instead which file is wrong and how.
//
// An error means the image is not a usable package of its kind (wrong magic, a table or an
// offset outside the file, values the engine cannot take). A warning means it will play but
// probably not as meant (a sample index beyond the sample pack, tracks beyond the sixteenth).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bs {

enum class PackageKind {
    Samples,
    Instruments,
    Effect,
    Music
};

struct CheckResult {
    std::string error;  // empty when the image is usable
    std::vector<std::string> warnings;
    uint32_t count = 0;  // samples, instruments, effect channels or tracks

    bool ok() const { return error.empty(); }
};

// A sample pack that passed checkSamplePack, for the cross-checks of the other packages.
struct SampleTable {
    const uint8_t* pack = nullptr;
    uint32_t count = 0;
    bool known = true;                      // false: no sample pack to check against, sample indices go unchecked
    uint32_t length(uint32_t index) const;  // the length the engine plays (low 16 bits)
};

// What the other packages are checked against: instruments and effects against the sample
// pack, music against the instrument pack (none: instrument numbers go unchecked).
struct CheckContext {
    SampleTable samples;
    std::optional<uint32_t> instrumentCount = 0;
};

CheckResult checkSamplePack(const uint8_t* image, uint32_t size);
CheckResult checkInstrumentPack(const uint8_t* image, uint32_t size, const SampleTable& samples);
CheckResult checkSoundEffect(const uint8_t* image, uint32_t size, const SampleTable& samples);
CheckResult checkMusicTrack(const uint8_t* image, uint32_t size, std::optional<uint32_t> instrumentCount);
// The check of `kind`.
CheckResult checkPackage(PackageKind kind, const uint8_t* image, uint32_t size, const CheckContext& context);

// The kind of package the image's magic names; none when it names no package, and then
// `problem` says what the image begins with.
std::optional<PackageKind> packageKindOf(const uint8_t* image, uint32_t size, std::string* problem);

}  // namespace bs
