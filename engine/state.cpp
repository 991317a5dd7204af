// The static tables, package adoption (bs_init) and the lookups built on the
// adopted packs.  The two tables that bs_init builds come from
// engine/pitch_tables.h, in integers.
#include "engine/state.h"

#include <cstring>

#include "engine/pitch_tables.h"
#include "formats/packages.h"

namespace brimsel {

Voice voices[kChannels];
MacroChannel channels[kChannels];
MusicTrack tracks[kChannels];
CodeBounds channelCode[kChannels];
CodeBounds trackCode[kChannels];

int32_t ready = 0;
int32_t paused = 0;

int32_t stopAllPending = 0;
int32_t stopMusicPending = 0;
int32_t startMusicPending = 0;
Image pendingMusic;
int32_t attenuationChanged = 0;
int8_t musicAttenuation = 127;
int32_t musicPlaying = 0;

EffectRequest effectQueue[kQueueSlots];
uint32_t effectQueueWrite = 0;
uint32_t effectQueueRead = 0;
int8_t stopQueue[kQueueSlots];
uint32_t stopQueueWrite = 0;
uint32_t stopQueueRead = 0;
uint32_t stopOverflow[8];

Pack samplePack;
Pack instrumentPack;

uint32_t noteFrequencies[kNotes];
SampleRatio sampleRatios[BS_LIBRARY_SIZE];

namespace {

// What the lookup gives for a sample that does not exist.
const int8_t silentByte = 0;

void reset()
{
    stopAllPending = 0;
    effectQueueWrite = effectQueueRead = 0;
    stopQueueWrite = stopQueueRead = 0;
    for (uint32_t& bits : stopOverflow)
        bits = 0;
    pendingMusic = Image{};
    musicAttenuation = 127;
    attenuationChanged = 1;
    musicPlaying = 0;
    startMusicPending = 0;
    stopMusicPending = 0;
    for (int i = 0; i < kChannels; ++i) {
        channels[i].priority = 0;
        tracks[i].priority = 0;
        voices[i].mode = 0;
        channels[i].voice = &voices[i];
        tracks[i].voice = &voices[i];
        tracks[i].channel = &channels[i];
    }
}

bool hasMagic(const Image& image, const char* magic)
{
    return image.holds(0, BS_HEADER_SIZE) && std::memcmp(image.base, magic, BS_MAGIC_SIZE) == 0;
}

bool aligned(const uint8_t* image)
{
    return image != nullptr && reinterpret_cast<uintptr_t>(image) % 4 == 0;
}

SampleRatio ratioOf(const uint8_t* entry)
{
    const uint64_t ratio = sampleRatio(bs_readU32(entry + BS_SAMPLE_ENTRY_SAMPLE_RATE),
                                       bs_readU32(entry + BS_SAMPLE_ENTRY_CONTENT_FREQ));
    return SampleRatio{static_cast<uint32_t>(ratio), static_cast<uint32_t>(ratio >> 32)};
}

int32_t adoptSamplePack(const Image& image)
{
    if (!aligned(image.base) || !hasMagic(image, BS_MAGIC_SAMPLES))
        return -1;
    const uint32_t count = bs_readU32(image.base + BS_HEADER_COUNT_OFFSET);
    if (count > BS_LIBRARY_SIZE)
        return -1;
    if (!image.holds(BS_HEADER_SIZE, uint64_t{count} * BS_SAMPLE_ENTRY_SIZE))
        return -1;
    samplePack.image = image;
    samplePack.count = count;
    for (uint32_t e = 0; e < count; ++e)
        sampleRatios[e] = ratioOf(image.base + BS_HEADER_SIZE + e * BS_SAMPLE_ENTRY_SIZE);
    return 0;
}

void buildNoteFrequencies()
{
    std::memcpy(noteFrequencies, kNoteFrequencyTable, sizeof noteFrequencies);
}

int32_t adoptInstrumentPack(const Image& image)
{
    if (!aligned(image.base) || !hasMagic(image, BS_MAGIC_INSTRUMENTS))
        return -1;
    const uint32_t count = bs_readU32(image.base + BS_HEADER_COUNT_OFFSET);
    if (!image.holds(BS_HEADER_SIZE, uint64_t{count} * BS_INSTRUMENT_ENTRY_SIZE))
        return -1;
    instrumentPack.image = image;
    instrumentPack.count = count;
    buildNoteFrequencies();
    return 0;
}

int32_t init(const Image& samples, const Image& instruments)
{
    ready = 0;
    reset();
    const int32_t result = adoptSamplePack(samples) | adoptInstrumentPack(instruments);
    ready = result == 0 ? 1 : 0;
    return result;
}

}  // namespace

CodeBounds codeBoundsAt(const Image& image, uint32_t offset)
{
    if (!image.sized())
        return kUnboundedCode;
    return CodeBounds{-static_cast<int64_t>(offset),
                      static_cast<int64_t>(image.size) - static_cast<int64_t>(offset)};
}

Sample lookupSample(uint32_t index)
{
    const Sample empty{&silentByte, 0};
    if (index >= samplePack.count)
        return empty;
    const uint8_t* entry = samplePack.image.base + BS_HEADER_SIZE + index * BS_SAMPLE_ENTRY_SIZE;
    const uint32_t offset = bs_readU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET);
    const uint16_t length = static_cast<uint16_t>(bs_readU32(entry + BS_SAMPLE_ENTRY_LENGTH));
    if (length == 0 || !samplePack.image.holds(offset, length))
        return empty;
    return Sample{reinterpret_cast<const int8_t*>(samplePack.image.base + offset), length};
}

int32_t noteStep(uint32_t index, uint32_t note)
{
    if (index >= samplePack.count || note >= kNotes)
        return 0;
    const SampleRatio ratio = sampleRatios[index];
    const uint64_t wide = uint64_t{ratio.integer} << 32 | ratio.fraction;
    // The signed 64-bit product keeps its low 64 bits; unsigned arithmetic
    // gives the same bits without overflow.
    const uint64_t product = wide * static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(noteFrequencies[note])));
    return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

}  // namespace brimsel

using namespace brimsel;

extern "C" {

BS_API int32_t bs_init(const uint8_t* samplePackImage, const uint8_t* instrumentPackImage)
{
    return init(Image{samplePackImage, kUnknownSize}, Image{instrumentPackImage, kUnknownSize});
}

BS_API int32_t bs_initSized(const uint8_t* samplePackImage, uint32_t samplePackSize,
                            const uint8_t* instrumentPackImage, uint32_t instrumentPackSize)
{
    return init(Image{samplePackImage, samplePackSize}, Image{instrumentPackImage, instrumentPackSize});
}

BS_API void bs_reset(void)
{
    for (int i = 0; i < kChannels; ++i) {
        voices[i] = Voice{};
        channels[i] = MacroChannel{};
        tracks[i] = MusicTrack{};
        channelCode[i] = CodeBounds{};
        trackCode[i] = CodeBounds{};
    }
    reset();  // requests, music state, and the links between the tables
    ready = 0;
    paused = 0;
    samplePack = Pack{};
    instrumentPack = Pack{};
}

}  // extern "C"
