// The note workload: 16 voices always sounding, each starting a new note
// every 28.8 ticks on average (120 ms), on looping samples of 32 bytes to
// 16 KiB, at steps from 0.5 to 1.9; and variants of it that keep to one kind
// of step or to short loops.  The notes are written straight into a
// voice table (the engine's, or a copy mixed at a chosen level), so every
// path gets exactly the same work.
#ifndef BRIMSEL_BENCH_NOTES_H
#define BRIMSEL_BENCH_NOTES_H

#include <cstdint>
#include <random>
#include <vector>

#include "engine/engine.h"

struct NoteRange {
    const char* name;
    uint32_t minStep;  // 16.16
    uint32_t maxStep;
    uint32_t minLength;  // bytes, powers of two
    uint32_t maxLength;
};

// The note workload, and its variants.
constexpr NoteRange kAllNotes = {"notes", 0x8000, 0x1E666, 32, 16384};
constexpr NoteRange kSlowNotes = {"steps-to-1.0", 0x8000, 0x10000, 32, 16384};
constexpr NoteRange kFastNotes = {"steps-above-1.0", 0x10001, 0x1E666, 32, 16384};
constexpr NoteRange kLoopEnds = {"short-loops", 0x8000, 0x1E666, 32, 64};
constexpr NoteRange kNoteRanges[] = {kAllNotes, kSlowNotes, kFastNotes, kLoopEnds};

class NoteWorkload {
public:
    explicit NoteWorkload(const NoteRange& range);
    // Starts the notes due in this tick on `voices` (BS_CHANNELS of them).
    void tick(Voice* voices);

private:
    void startNote(Voice& v, int channel);

    NoteRange range_;
    std::mt19937 rng_{1};
    std::vector<std::vector<int8_t>> samples_;
    uint32_t ticksLeft_[BS_CHANNELS];
    uint32_t notesStarted_ = 0;
};

// The engine with empty packages, its voices free for NoteWorkload.
Voice* engineVoicesForNotes();

#endif
