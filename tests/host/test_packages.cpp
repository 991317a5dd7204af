#include "test_packages.h"

namespace hosttest {

namespace {

constexpr uint16_t kSampleBytes = 30000;

}  // namespace

Image samplePack()
{
    std::vector<int8_t> noise(kSampleBytes);
    uint32_t seed = 0x2545F491u;
    for (int8_t& s : noise) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int8_t>(seed >> 24);
    }
    return testing_images::samplePack({{noise}});
}

Image instrumentPack()
{
    testing_images::Macro code;
    code.looping(0, kSampleBytes).volume(127).loop(-1).wait(100).endloop();  // until note-off
    const uint32_t noteOff = code.here();
    code.end();
    return testing_images::instrumentPack({{0, code, noteOff}});
}

Image loopingEffect(uint32_t ticks)
{
    testing_images::Macro code;
    code.looping(0, kSampleBytes).volume(100).frequency(0xE000).wait(ticks).end();  // 7/8 speed
    return testing_images::effect({{0, code}});
}

Image tune(uint32_t notes)
{
    static const uint8_t scale[] = {57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
    testing_images::Music music;
    music.label("tune").use(0);
    for (uint32_t i = 0; i < notes; ++i)
        music.note(scale[i % sizeof scale], 24);
    music.noteOff().end();
    return music.build({{10, "tune"}});
}

}  // namespace hosttest
