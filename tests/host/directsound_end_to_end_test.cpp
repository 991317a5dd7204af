// Halvex.dll end to end on DirectSound (a null sink under Wine in CI): the
// demo song and an effect play for two seconds with the WAV log on.  The log
// must hold exactly the blocks that the engine renders for the same requests,
// the host must render at the device's pace, and hx_close must return at once
// with the log's header complete.
//
// Arguments: the folder of the demo's packages, and a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "formats/packages.h"
#include "hidden_window.h"
#include "host/host.h"

namespace {

std::string demoFolder;
std::string scratchFolder;

// A package image at an address that is a multiple of 4.
struct Image {
    std::vector<uint32_t> words;
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words.data()); }
};

bool readWhole(const std::string& path, std::vector<uint8_t>* bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

Image load(const std::string& name)
{
    std::vector<uint8_t> bytes;
    Image image;
    if (readWhole(demoFolder + "/" + name, &bytes)) {
        image.words.resize((bytes.size() + 3) / 4);
        std::memcpy(image.words.data(), bytes.data(), bytes.size());
    }
    return image;
}

double now()
{
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

uint32_t blocksRendered()
{
    uint32_t blocks = 0;
    hx_getState(nullptr, nullptr, nullptr, nullptr, &blocks, nullptr, nullptr);
    return blocks;
}

// A request made while the host runs reaches the engine before one of the
// blocks counted from `first` to `last` (an index into the host's stream).
struct Window {
    uint32_t first;
    uint32_t last;
};

template <typename Request>
Window whenMade(Request request)
{
    uint32_t before = blocksRendered();
    request();
    return Window{before, blocksRendered()};
}

struct Sample {
    double time;
    uint32_t blocks;
};

// Polls the host's block count for `seconds`, every millisecond.
void watch(double seconds, std::vector<Sample>* timeline)
{
    double until = now() + seconds;
    for (double t = now(); t < until; t = now()) {
        timeline->push_back(Sample{t, blocksRendered()});
        Sleep(1);
    }
}

// The engine's own render of `blocks` blocks with the music started before
// block `music` and the effect before block `effect`.
std::vector<uint8_t> engineRender(const Image& samples, const Image& instruments,
                                  const Image& song, const Image& effect, uint32_t music,
                                  uint32_t effectAt, uint32_t from, uint32_t blocks)
{
    std::vector<uint8_t> out;
    if (bs_init(samples.data(), instruments.data()) != 0)
        return out;
    int16_t block[BS_BLOCK_VALUES];
    for (uint32_t i = 0; i < from + blocks; ++i) {
        if (i == music)
            bs_playMusic(song.data());
        if (i == effectAt)
            bs_playSFX(effect.data(), 60, 127, 90);
        bs_update(block);
        if (i >= from) {
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(block);
            out.insert(out.end(), bytes, bytes + BS_BLOCK_BYTES);
        }
    }
    return out;
}

TEST(HalvexOnDirectSound, PlaysAndLogsExactlyWhatTheEngineRenders)
{
    Image samples = load("demo.smp");
    Image instruments = load("demo.ins");
    Image song = load("song.mus");
    Image effect = load("coin.sfx");
    ASSERT_FALSE(samples.words.empty() || instruments.words.empty() || song.words.empty() ||
                 effect.words.empty())
        << "no demo packages in " << demoFolder;
    hosttest::HiddenWindow window;
    ASSERT_NE(window.handle(), nullptr);
    const std::string logPath = scratchFolder + "/halvex_end_to_end.wav";
    std::remove(logPath.c_str());

    std::vector<Sample> timeline;
    double started = now();
    HXRESULT result = hx_init(window.handle(), samples.data(), instruments.data());
    ASSERT_TRUE(HX_SUCCEEDED(result)) << hx_resultText(result);
    int32_t logged = -1;
    whenMade([&] { logged = hx_logOutput(logPath.c_str()); });
    Window music = whenMade([&] { hx_playMusic(song.data()); });
    watch(0.7, &timeline);
    Window sfx = whenMade([&] { hx_playSFX(effect.data(), 60, 127, 90); });
    watch(1.3, &timeline);
    double closing = now();
    hx_close();
    double closed = now();
    ASSERT_EQ(logged, 0);

    // hx_close waits at most for one tick, and the header is complete.
    std::printf("hx_close took %.1f ms\n", (closed - closing) * 1000);
    EXPECT_LT(closed - closing, 0.5);
    uint32_t logBlocks = 0;
    uint32_t fileBytes = 0;
    EXPECT_EQ(hx_getLogState(nullptr, &fileBytes, &logBlocks, nullptr), HX_LOG_COMPLETE);
    std::vector<uint8_t> log;
    ASSERT_TRUE(readWhole(logPath, &log));
    std::remove(logPath.c_str());
    ASSERT_EQ(log.size(), 44u + logBlocks * 800u);
    EXPECT_EQ(fileBytes, log.size());
    EXPECT_EQ(std::memcmp(log.data(), "RIFF", 4), 0);
    EXPECT_EQ(bs_readU32(log.data() + 4), log.size() - 8);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);

    // The log began with the block after which nothing more was logged.
    const uint32_t total = blocksRendered();
    ASSERT_GE(total, logBlocks);
    const uint32_t from = total - logBlocks;
    std::vector<uint8_t> audio(log.begin() + 44, log.end());
    // Each request reached the engine before one block of its window: the log
    // must be the engine's render for one choice of them, to the byte.
    bool same = false;
    for (uint32_t m = music.first; m <= music.last && !same; ++m)
        for (uint32_t e = sfx.first; e <= sfx.last && !same; ++e)
            same = engineRender(samples, instruments, song, effect, m, e, from, logBlocks) == audio;
    EXPECT_TRUE(same) << "log of " << logBlocks << " blocks from block " << from
                      << "; music before block " << music.first << "-" << music.last
                      << ", effect before block " << sfx.first << "-" << sfx.last;

    // The pace: blocks rendered over the last second against the clock, at
    // 200 frames a block.
    ASSERT_FALSE(timeline.empty());
    const Sample& last = timeline.back();
    size_t i = 0;
    while (i + 1 < timeline.size() && last.time - timeline[i].time > 1.0)
        ++i;
    const Sample& first = timeline[i];
    double rate = (last.blocks - first.blocks) * 200.0 / (last.time - first.time);
    // The start: the first tick renders four blocks; the longest time
    // without a new block after it shows how long the device's first cursor
    // step keeps the following ticks waiting.
    double firstTick = -1;
    double longestWait = 0;
    for (size_t k = 1; k < timeline.size(); ++k) {
        if (firstTick < 0 && timeline[k].blocks > 0)
            firstTick = timeline[k].time - started;
        if (timeline[k].blocks != timeline[k - 1].blocks)
            continue;
        size_t j = k;
        while (j < timeline.size() && timeline[j].blocks == timeline[k - 1].blocks)
            ++j;
        if (j < timeline.size() && timeline[k - 1].blocks > 0)
            longestWait = std::max(longestWait, timeline[j].time - timeline[k - 1].time);
        k = j;
    }
    std::printf("%u blocks in %.2f s; %.0f frames/s over the last second; first tick after "
                "%.1f ms; longest time without a new block %.1f ms\n",
                total, closed - started, rate, firstTick * 1000, longestWait * 1000);
    EXPECT_NEAR(rate, 48000.0, 4800.0);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s demo-folder scratch-folder\n", argv[0]);
        return 2;
    }
    demoFolder = argv[1];
    scratchFolder = argv[2];
    return RUN_ALL_TESTS();
}
