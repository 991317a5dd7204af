#include "notes.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Note lengths in ticks: 28.8 on average.
constexpr uint32_t kNoteTicks[] = {20, 24, 28, 33, 39};

}  // namespace

NoteWorkload::NoteWorkload(const NoteRange& range) : range_(range)
{
    for (uint32_t length = range.minLength; length <= range.maxLength; length *= 2) {
        std::vector<int8_t> sample(length);
        for (int8_t& s : sample)
            s = static_cast<int8_t>(rng_());
        samples_.push_back(std::move(sample));
    }
    // The first tick starts a note on every voice; the lengths taken in turn
    // then spread the notes' starts over the ticks.
    for (uint32_t& left : ticksLeft_)
        left = 1;
}

void NoteWorkload::startNote(Voice& v, int channel)
{
    const std::vector<int8_t>& sample = samples_[rng_() % samples_.size()];
    v.mode = 2;
    v.data = sample.data();
    v.length = static_cast<uint16_t>(sample.size());
    v.volume = 120;
    v.panLeft = static_cast<int8_t>(rng_() % 128);
    v.panRight = static_cast<int8_t>(127 - v.panLeft);
    v.phase = 0;
    v.phaseAdjust = range_.minStep + rng_() % (range_.maxStep - range_.minStep + 1);
    v.loopStart = 0;
    v.loopEnd = static_cast<int16_t>(sample.size());
    ticksLeft_[channel] = kNoteTicks[notesStarted_++ % (sizeof kNoteTicks / sizeof kNoteTicks[0])];
}

void NoteWorkload::tick(Voice* voices)
{
    for (int i = 0; i < BS_CHANNELS; ++i)
        if (--ticksLeft_[i] == 0)
            startNote(voices[i], i);
}

Voice* engineVoicesForNotes()
{
    // Each a magic and an entry count of 0.
    alignas(4) static const uint8_t samples[8] = {'B', 'S', 'M', 'P'};
    alignas(4) static const uint8_t instruments[8] = {'B', 'I', 'N', 'S'};
    if (bs_init(samples, instruments) != 0) {
        std::fprintf(stderr, "engine refused empty packages\n");
        std::exit(1);
    }
    bs_resume();
    Voice* voices = nullptr;
    bs_getState(&voices, nullptr, nullptr);
    for (int i = 0; i < BS_CHANNELS; ++i)
        voices[i] = Voice{};
    return voices;
}
