// The engine's process-wide state: the three tables, the request flags and
// queues, the adopted packages and the two lookup tables.  Everything here is
// static storage; nothing is allocated.
#ifndef BRIMSEL_STATE_H
#define BRIMSEL_STATE_H

#include <cstdint>

#include "engine/engine.h"

namespace brimsel {

constexpr int kChannels = BS_CHANNELS;
constexpr int kQueueSlots = BS_QUEUE_SLOTS;
constexpr int kStackFrames = BS_STACK_FRAMES;
constexpr int kNotes = 128;

// Size recorded for images handed over without one: reads are not checked.
constexpr uint64_t kUnknownSize = UINT64_MAX;

// A package image as the engine borrows it.
struct Image {
    const uint8_t* base = nullptr;
    uint64_t size = kUnknownSize;

    bool sized() const { return size != kUnknownSize; }
    // True when `length` bytes from `offset` lie inside the image (always when unsized).
    bool holds(uint64_t offset, uint64_t length) const
    {
        return !sized() || (offset <= size && length <= size - offset);
    }
};

// The positions of a code stream that may be read, relative to its first byte.
struct CodeBounds {
    int64_t low;   // first readable position (may be negative: calls can jump backwards)
    int64_t high;  // one past the last readable position
};
constexpr CodeBounds kUnboundedCode{INT64_MIN, INT64_MAX};
// Bounds of code that starts `offset` bytes into `image`.
CodeBounds codeBoundsAt(const Image& image, uint32_t offset);

struct Pack {
    Image image;
    uint32_t count = 0;  // entry count as stored in the header
};

struct EffectRequest {
    Image image;  // base null: cancelled by a stop before it started
    int8_t priority;
    int8_t left;
    int8_t right;
};

struct SampleRatio {
    uint32_t fraction;  // 32.32 fixed point, low word
    uint32_t integer;   // high word
};

extern Voice voices[kChannels];
extern MacroChannel channels[kChannels];
extern MusicTrack tracks[kChannels];
// Where each channel's and each track's code may be read.
extern CodeBounds channelCode[kChannels];
extern CodeBounds trackCode[kChannels];

extern int32_t ready;
extern int32_t paused;

extern int32_t stopAllPending;
extern int32_t stopMusicPending;
extern int32_t startMusicPending;
extern Image pendingMusic;
extern int32_t attenuationChanged;
extern int8_t musicAttenuation;
extern int32_t musicPlaying;

extern EffectRequest effectQueue[kQueueSlots];
extern uint32_t effectQueueWrite;
extern uint32_t effectQueueRead;
extern int8_t stopQueue[kQueueSlots];
extern uint32_t stopQueueWrite;
extern uint32_t stopQueueRead;
// Stops that found the queue full, one bit per priority (as uint8): carried out
// after the queue, so a stop is never lost while its effect reads the image.
extern uint32_t stopOverflow[8];

extern Pack samplePack;
extern Pack instrumentPack;

extern uint32_t noteFrequencies[kNotes];
extern SampleRatio sampleRatios[BS_LIBRARY_SIZE];

// A sample as a voice plays it.
struct Sample {
    const int8_t* data;
    uint16_t length;
};
// Entry `index` of the sample pack, or the empty sample when there is no such
// entry or its data lies outside the pack.
Sample lookupSample(uint32_t index);
// 16.16 phase step that plays sample `index` at note `note` (0..127).
int32_t noteStep(uint32_t index, uint32_t note);

}  // namespace brimsel

#endif
