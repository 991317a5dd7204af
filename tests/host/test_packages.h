// Small package images built in memory for the host's tests and measurements:
// one noise sample, one looping instrument, a looping effect and a short tune.
#ifndef HALVEX_TESTS_TEST_PACKAGES_H
#define HALVEX_TESTS_TEST_PACKAGES_H

#include <cstdint>
#include <string>
#include <vector>

namespace hosttest {

// A package image at an address that is a multiple of 4, as the engine wants.
class Image {
public:
    Image() = default;
    explicit Image(const std::vector<uint8_t>& bytes);
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
    uint32_t size() const { return size_; }
    std::vector<uint8_t> bytes() const { return {data(), data() + size_}; }
    // Writes the image to a file; false on failure.
    bool save(const std::string& path) const;

private:
    std::vector<uint32_t> words_;
    uint32_t size_ = 0;
};

// Sample 0: 30000 bytes of noise recorded at 48000 Hz, pitched at 440 Hz.
Image samplePack();
// Instrument 0: sample 0 looping at full volume until note-off.
Image instrumentPack();
// One channel on sample 0, looping at 7/8 speed, volume 100, for `ticks`
// ticks (at most 16383); then it ends.
Image loopingEffect(uint32_t ticks);
// One track at priority 10: `notes` notes of 24 ticks each on instrument 0,
// then "end" (so `notes` x 24 ticks of music).
Image tune(uint32_t notes);

} // namespace hosttest

#endif
