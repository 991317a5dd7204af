// Feeds arbitrary sample packs, instrument packs, sound effects and music
// through the length-aware entry points and runs ticks.  Every image sits in
// a heap block of exactly its size, so AddressSanitizer reports any read
// beyond it.
//
// Input: a flags byte, then six images (sample pack, instrument pack, three
// effects, music), each a little-endian uint16 length and that many bytes;
// then commands, one byte each plus arguments (see run()).  Flag bit i
// writes the right magic over image i, which keeps the fuzzer past the
// first check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/engine.h"

namespace {

constexpr int kImages = 6;
constexpr int kMaxTicks = 64;
const char* const magics[kImages] = {"BSMP", "BINS", "BSFX", "BSFX", "BSFX", "BMUS"};

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t u16() { return static_cast<uint16_t>(u8() | u8() << 8); }
    // Up to `length` bytes, as many as are left.
    std::vector<uint8_t> bytes(size_t length)
    {
        const size_t n = length < size_ - at_ ? length : size_ - at_;
        std::vector<uint8_t> out(data_ + at_, data_ + at_ + n);
        at_ += n;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct HeapImage {
    uint8_t* data = nullptr;
    uint32_t size = 0;
};

HeapImage place(const std::vector<uint8_t>& bytes, const char* magic, bool forceMagic)
{
    HeapImage image;
    image.size = static_cast<uint32_t>(bytes.size());
    image.data = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!bytes.empty())
        std::memcpy(image.data, bytes.data(), bytes.size());
    if (forceMagic && image.size >= 4)
        std::memcpy(image.data, magic, 4);
    return image;
}

void run(Input& in, HeapImage* images)
{
    int16_t block[BS_BLOCK_VALUES];
    bs_resume();
    bs_initSized(images[0].data, images[0].size, images[1].data, images[1].size);
    int ticks = 0;
    auto tick = [&] {
        if (ticks++ < kMaxTicks)
            bs_update(block);
    };
    while (!in.empty() && ticks < kMaxTicks) {
        const uint8_t op = in.u8();
        switch (op % 10) {
        case 0:
            tick();
            break;
        case 1:
            for (int i = 0; i < 8; ++i)
                tick();
            break;
        case 2: {
            const HeapImage& fx = images[2 + in.u8() % 3];
            const int8_t priority = static_cast<int8_t>(in.u8());
            const int8_t left = static_cast<int8_t>(in.u8());
            bs_playSFXSized(fx.data, fx.size, priority, left, static_cast<int8_t>(in.u8()));
            break;
        }
        case 3:
            bs_playMusicSized(images[5].data, images[5].size);
            break;
        case 4:
            bs_stopSFX(static_cast<int8_t>(in.u8()));
            break;
        case 5:
            bs_stopMusic();
            break;
        case 6:
            bs_attenMusic(static_cast<int8_t>(in.u8()));
            break;
        case 7:
            if (op & 0x80)
                bs_pause();
            else
                bs_resume();
            break;
        case 8:
            bs_stopAll();
            break;
        default:
            bs_initSized(images[0].data, images[0].size, images[1].data, images[1].size);
            break;
        }
    }
    bs_resume();
    for (int i = 0; i < 4; ++i)
        bs_update(block);
    (void)bs_checkMusic();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const uint8_t flags = in.u8();
    HeapImage images[kImages];
    for (int i = 0; i < kImages; ++i) {
        const uint16_t length = in.u16();
        images[i] = place(in.bytes(length), magics[i], (flags >> i) & 1);
    }
    run(in, images);
    // The images are freed; the next input starts with bs_initSized, which
    // forgets them before anything could read them.
    for (HeapImage& image : images)
        std::free(image.data);
    return 0;
}
