#include "scenario.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "formats/opcodes.h"
#include "formats/packages.h"

namespace {

constexpr int kEffects = BS_CHANNELS;

std::vector<uint32_t> toWords(const std::vector<uint8_t>& bytes)
{
    std::vector<uint32_t> words((bytes.size() + 3) / 4);
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t sampleLength(int e)
{
    return 6000 + static_cast<uint32_t>(e) * 1700;
}

uint32_t stepOf(int e)
{
    return 0x8000 + static_cast<uint32_t>(e) * 0x1800;  // 0.5 .. 1.906
}

bool isLooping(int e)
{
    return e % 2 == 0;
}

std::vector<uint8_t> macroOf(int e)
{
    std::vector<uint8_t> code;
    if (isLooping(e)) {
        const uint32_t length = sampleLength(e);
        code = {MACRO_LOOPING};
        code.push_back(static_cast<uint8_t>(length / 3));
        code.push_back(static_cast<uint8_t>(length / 3 >> 8));
        code.push_back(static_cast<uint8_t>(length));
        code.push_back(static_cast<uint8_t>(length >> 8));
    } else {
        code = {MACRO_SINGLESHOT};
    }
    code.insert(code.end(), {MACRO_VOLUME, 120, 0, 0, MACRO_FREQUENCY});
    put32(code, stepOf(e));
    put32(code, 0);
    // Hold the channel for good: looping voices play on, single-shot ones
    // end by themselves and are started again when their macro ends.
    uint8_t run[BS_WAIT_MAX_BYTES];
    const uint32_t ticks = isLooping(e) ? 1000000 : sampleLength(e) * 0x10000ull / stepOf(e) / 200 + 1;
    const unsigned n = bs_encodeWaitRun(ticks, run);
    code.insert(code.end(), run, run + n);
    code.push_back(MACRO_END);
    return code;
}

}  // namespace

BusyScenario::BusyScenario()
{
    std::mt19937 rng(7);
    std::vector<uint8_t> pack = {'B', 'S', 'M', 'P'};
    put32(pack, kEffects);
    uint32_t offset = 8 + 16 * kEffects;
    for (int e = 0; e < kEffects; ++e) {
        put32(pack, offset);
        put32(pack, sampleLength(e));
        put32(pack, 48000u << 16);
        put32(pack, 440u << 16);
        offset += sampleLength(e);
    }
    for (int e = 0; e < kEffects; ++e)
        for (uint32_t i = 0; i < sampleLength(e); ++i)
            pack.push_back(static_cast<uint8_t>(rng()));
    samples_ = toWords(pack);
    instruments_ = toWords({'B', 'I', 'N', 'S', 0, 0, 0, 0});
    if (bs_init(reinterpret_cast<const uint8_t*>(samples_.data()),
                reinterpret_cast<const uint8_t*>(instruments_.data())) != 0) {
        std::fprintf(stderr, "engine refused the benchmark's packages\n");
        std::exit(1);
    }
    bs_resume();
    bs_getState(&voices_, &channels_, nullptr);

    for (int e = 0; e < kEffects; ++e) {
        std::vector<uint8_t> image = {'B', 'S', 'F', 'X', 1, 0, 0, 0};
        put32(image, static_cast<uint32_t>(e));
        put32(image, 16);
        const std::vector<uint8_t> code = macroOf(e);
        image.insert(image.end(), code.begin(), code.end());
        effects_.push_back(toWords(image));
    }
    for (int e = 0; e < kEffects; ++e)
        bs_playSFX(reinterpret_cast<const uint8_t*>(effects_[e].data()), static_cast<int8_t>(e + 1),
                   static_cast<int8_t>(127 - 8 * e), static_cast<int8_t>(8 * e));
}

void BusyScenario::keepPlaying()
{
    uint32_t held = 0;
    for (int i = 0; i < BS_CHANNELS; ++i)
        if (channels_[i].priority != 0)
            held |= 1u << (channels_[i].priority - 1);
    for (int e = 0; e < kEffects; ++e)
        if (!(held & (1u << e)))
            bs_playSFX(reinterpret_cast<const uint8_t*>(effects_[e].data()), static_cast<int8_t>(e + 1),
                       static_cast<int8_t>(127 - 8 * e), static_cast<int8_t>(8 * e));
}

int BusyScenario::soundingVoices() const
{
    int n = 0;
    for (int i = 0; i < BS_CHANNELS; ++i)
        n += voices_[i].mode != 0;
    return n;
}
