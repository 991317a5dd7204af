// Builds package images for tests in memory, laid out as the compiler writes
// them, in 4-byte-aligned storage; and small assemblers for macro and music
// code.
#ifndef BS_TESTS_PACKAGE_IMAGES_H
#define BS_TESTS_PACKAGE_IMAGES_H

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testing_images {

// One package image.  The bytes start at a multiple of 4; `at(offset)` is
// for tests that move an image off its alignment.
class Image {
public:
    Image() = default;
    explicit Image(const std::vector<uint8_t>& bytes);

    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }
    uint32_t size() const { return static_cast<uint32_t>(size_); }
    // The same bytes starting `offset` bytes past an aligned address.
    const uint8_t* at(uint32_t offset);

private:
    std::vector<uint32_t> words_;
    std::vector<uint32_t> shifted_;
    size_t size_ = 0;
};

constexpr uint32_t hz(uint32_t whole) { return whole << 16; }

struct SampleDef {
    std::vector<int8_t> data;
    uint32_t sampleRate = hz(48000);      // 16.16
    uint32_t contentFrequency = hz(440);  // 16.16
};
Image samplePack(const std::vector<SampleDef>& samples);

struct InstrumentDef {
    uint32_t sample;
    std::vector<uint8_t> code;
    uint32_t noteOff = 0;
};
Image instrumentPack(const std::vector<InstrumentDef>& instruments);

struct EffectChannelDef {
    uint32_t sample;
    std::vector<uint8_t> code;
};
Image effect(const std::vector<EffectChannelDef>& channels);

// Macro code.
class Macro {
public:
    Macro& end() { return op(0x00); }
    Macro& singleshot() { return op(0x01); }
    Macro& looping(uint16_t start, uint16_t end) { return op(0x02).u16(start).u16(end); }
    Macro& volume(uint8_t level, int16_t slide = 0) { return op(0x03).u8(level).u16(static_cast<uint16_t>(slide)); }
    Macro& frequency(uint32_t step, int32_t slide = 0) { return op(0x04).u32(step).u32(static_cast<uint32_t>(slide)); }
    Macro& loop(int8_t count) { return op(0x05).u8(static_cast<uint8_t>(count)); }
    Macro& endloop() { return op(0x06); }
    Macro& wait(uint32_t ticks);
    Macro& raw(std::vector<uint8_t> bytes);
    uint32_t here() const { return static_cast<uint32_t>(bytes_.size()); }
    operator std::vector<uint8_t>() const { return bytes_; }

private:
    Macro& op(uint8_t b) { return u8(b); }
    Macro& u8(uint8_t b)
    {
        bytes_.push_back(b);
        return *this;
    }
    Macro& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
    Macro& u32(uint32_t v) { return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16)); }
    std::vector<uint8_t> bytes_;
};

// A music image's common code stream, with labels for track starts and calls.
class Music {
public:
    Music& label(const std::string& name);
    Music& priority(uint8_t p) { return op(0x00).u8(p); }
    Music& end() { return priority(0); }
    Music& pan(int8_t left, int8_t right) { return op(0x01).u8(static_cast<uint8_t>(left)).u8(static_cast<uint8_t>(right)); }
    Music& use(uint8_t instrument) { return op(0x02).u8(instrument); }
    Music& note(uint8_t n, uint32_t length);
    Music& noteOff() { return op(0x04); }
    Music& pitch(int32_t offset, int32_t slide) { return op(0x05).u32(static_cast<uint32_t>(offset)).u32(static_cast<uint32_t>(slide)); }
    Music& loop(int8_t count) { return op(0x06).u8(static_cast<uint8_t>(count)); }
    Music& endloop() { return op(0x07); }
    Music& call(const std::string& target);
    Music& ret() { return op(0x09); }
    Music& brk() { return op(0x0A); }
    Music& wait(uint32_t ticks);
    Music& raw(std::vector<uint8_t> bytes);

    // Image with one track per (initial priority, start label).
    Image build(const std::vector<std::pair<int8_t, std::string>>& tracks) const;

private:
    Music& op(uint8_t b) { return u8(b); }
    Music& u8(uint8_t b)
    {
        bytes_.push_back(b);
        return *this;
    }
    Music& u32(uint32_t v);
    uint32_t labelAt(const std::string& name) const;
    std::vector<uint8_t> bytes_;
    std::map<std::string, uint32_t> labels_;
    std::vector<std::pair<uint32_t, std::string>> calls_;
};

}  // namespace testing_images

#endif
