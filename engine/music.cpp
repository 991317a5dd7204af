#include "engine/music.h"

#include <cstring>

#include "engine/code_reader.h"
#include "engine/macro.h"
#include "formats/packages.h"

namespace brimsel {

namespace {

int8_t outLevel(int8_t attenuation, int8_t pan)
{
    return static_cast<int8_t>(static_cast<int16_t>(attenuation * pan) >> 7);
}

void recomputePan(MusicTrack& t)
{
    t.outLeft = outLevel(t.attenuation, t.panLeft);
    t.outRight = outLevel(t.attenuation, t.panRight);
    t.panChanged = 0;
    if (t.channel->noteMode != 0) {
        t.voice->panLeft = t.outLeft;
        t.voice->panRight = t.outRight;
    }
}

// The track stops; a note it is sounding goes silent with it.
void endTrack(MusicTrack& t)
{
    t.priority = 0;
    if (t.channel->noteMode != 0) {
        t.voice->mode = 0;
        t.channel->noteMode = 0;
        t.channel->priority = 0;
    }
}

void playNote(int track, uint32_t note)
{
    MusicTrack& t = tracks[track];
    MacroChannel& c = channels[track];
    Voice& v = voices[track];
    if (c.priority >= t.priority && c.noteMode == 0)
        return;  // held by an effect at least as strong, or the track is too weak
    const uint32_t instrument = static_cast<uint32_t>(t.instrument);
    if (instrument >= instrumentPack.count || note >= kNotes)
        return;  // no such instrument or note: the note is skipped
    const Image& pack = instrumentPack.image;
    const uint8_t* entry = pack.base + BS_HEADER_SIZE + uint64_t{instrument} * BS_INSTRUMENT_ENTRY_SIZE;
    const uint32_t sampleIndex = bs_readU32(entry + BS_INSTRUMENT_ENTRY_SAMPLE_INDEX);
    const uint32_t codeOffset = bs_readU32(entry + BS_INSTRUMENT_ENTRY_CODE_OFFSET);
    c.priority = t.priority;
    c.noteMode = -1;
    c.code = pack.base + codeOffset;
    c.noteOffPosition = static_cast<int32_t>(bs_readU32(entry + BS_INSTRUMENT_ENTRY_NOTE_OFF));
    const Sample sample = lookupSample(sampleIndex);
    v.data = sample.data;
    v.length = sample.length;
    c.noteStep = noteStep(sampleIndex, note);
    restartMacro(track, codeBoundsAt(pack, codeOffset));
    v.panLeft = t.outLeft;
    v.panRight = t.outRight;
}

void push(MusicTrack& t, int32_t count, int32_t returnPosition)
{
    t.stackCounts[t.stackDepth] = count;
    t.stackReturns[t.stackDepth] = returnPosition;
    ++t.stackDepth;
}

void endLoop(MusicTrack& t, CodeReader& reader)
{
    if (t.stackDepth == 0)
        return;
    const uint32_t top = t.stackDepth - 1;
    const int32_t count = t.stackCounts[top];
    if (count < 0) {
        reader.jump(t.stackReturns[top]);
    } else if (count <= 1) {
        t.stackDepth = top;
    } else {
        reader.jump(t.stackReturns[top]);
        t.stackCounts[top] = count - 1;
    }
}

// Every track inside a called block goes back to just after its outermost call.
void breakAll()
{
    for (MusicTrack& t : tracks) {
        const uint32_t depth = t.stackDepth < kStackFrames ? t.stackDepth : kStackFrames;
        for (uint32_t k = 0; k < depth; ++k) {
            if (t.stackCounts[k] == MUSIC_CALL_FRAME) {
                t.position = t.stackReturns[k];
                t.stackDepth = k;
                t.wait = 0;
                break;
            }
        }
    }
}

// Carries out one opcode with its operands.
bool execute(int track, uint8_t opcode, const int32_t* operands, CodeReader& reader)
{
    MusicTrack& t = tracks[track];
    MacroChannel& c = channels[track];
    switch (opcode) {
    case MUSIC_PRIORITY:
        t.priority = static_cast<uint8_t>(operands[0]);  // unsigned here, unlike a track entry's
        if (t.priority == 0)
            endTrack(t);
        return true;
    case MUSIC_PAN:
        t.panLeft = static_cast<int8_t>(operands[0]);
        t.panRight = static_cast<int8_t>(operands[1]);
        recomputePan(t);
        return true;
    case MUSIC_USING:
        t.instrument = operands[0];
        return true;
    case MUSIC_NOTE:
        playNote(track, static_cast<uint32_t>(operands[0]));
        return true;
    case MUSIC_NOTE_OFF:
        noteOffMacro(track);
        return true;
    case MUSIC_PITCH:
        c.pitchOffset = operands[0];
        c.pitchSlide = operands[1];
        return true;
    case MUSIC_LOOP:
        if (t.stackDepth < kStackFrames)
            push(t, static_cast<int8_t>(operands[0]), reader.position());
        return true;
    case MUSIC_ENDLOOP:
        if (t.stackDepth > kStackFrames)
            t.stackDepth = kStackFrames;
        endLoop(t, reader);
        return true;
    case MUSIC_CALL: {
        const int32_t after = reader.position();
        if (t.stackDepth < kStackFrames) {  // a fifth nested call is passed over
            push(t, MUSIC_CALL_FRAME, after);
            reader.jump(wrappingAdd(after, operands[0]));
        }
        return true;
    }
    case MUSIC_RETURN:
        if (t.stackDepth > kStackFrames)
            t.stackDepth = kStackFrames;
        if (t.stackDepth > 0 && t.stackCounts[t.stackDepth - 1] == MUSIC_CALL_FRAME) {
            --t.stackDepth;
            reader.jump(t.stackReturns[t.stackDepth]);
        }
        return true;
    case MUSIC_BREAK:
        t.position = reader.position();
        breakAll();
        reader.jump(t.position);
        return true;
    default:  // MUSIC_NOP
        return true;
    }
}

}  // namespace

bool startMusic(const Image& image)
{
    if (image.base == nullptr || !image.holds(0, BS_HEADER_SIZE) ||
        std::memcmp(image.base, BS_MAGIC_MUSIC, BS_MAGIC_SIZE) != 0)
        return false;
    const uint32_t count = bs_readU32(image.base + BS_HEADER_COUNT_OFFSET);
    const uint32_t used = count < kChannels ? count : kChannels;
    if (!image.holds(BS_HEADER_SIZE, uint64_t{used} * BS_TRACK_ENTRY_SIZE))
        return false;
    for (uint32_t i = 0; i < used; ++i) {
        const uint8_t* entry = image.base + BS_HEADER_SIZE + i * BS_TRACK_ENTRY_SIZE;
        const uint32_t codeOffset = bs_readU32(entry + BS_TRACK_ENTRY_CODE_OFFSET);
        MusicTrack& t = tracks[i];
        t.priority = static_cast<int8_t>(entry[BS_TRACK_ENTRY_PRIORITY]);
        t.panChanged = 1;
        t.code = image.base + codeOffset;
        trackCode[i] = codeBoundsAt(image, codeOffset);
        t.position = 0;
        t.wait = 0;
        t.panLeft = 127;
        t.panRight = 127;
        t.stackDepth = 0;
        channels[i].pitchOffset = 0;
        channels[i].pitchSlide = 0;
    }
    return true;
}

void stepTrack(int track)
{
    MusicTrack& t = tracks[track];
    if (t.panChanged != 0)
        recomputePan(t);
    CodeReader reader(t.code, t.position, trackCode[track]);
    runUntilWait(
        t, reader, bs_musicOpcode,
        [&](uint8_t op, const int32_t* operands) { return execute(track, op, operands, reader); },
        [&] { endTrack(t); });
    t.position = reader.position();
    t.wait = countDown(t.wait);
}

void stopTracks(bool everything)
{
    for (int i = 0; i < kChannels; ++i) {
        tracks[i].priority = 0;
        if (channels[i].noteMode != 0 || everything) {
            channels[i].noteMode = 0;
            channels[i].priority = 0;
            voices[i].mode = 0;
        }
    }
    musicPlaying = 0;
}

}  // namespace brimsel
