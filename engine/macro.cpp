#include "engine/macro.h"

#include "engine/code_reader.h"

namespace brimsel {

void endMacro(int channel)
{
    MacroChannel& c = channels[channel];
    c.voice->mode = 0;
    c.noteMode = 0;
    c.priority = 0;
}

namespace {

void pushLoop(MacroChannel& c, int8_t count, int32_t returnPosition)
{
    if (c.loopDepth >= kStackFrames)
        return;  // a fifth nested loop runs its body once, unrepeated
    c.loopCounts[c.loopDepth] = count;
    c.loopReturns[c.loopDepth] = returnPosition;
    ++c.loopDepth;
}

void endLoop(MacroChannel& c, CodeReader& reader)
{
    if (c.loopDepth == 0)
        return;
    if (c.loopDepth > kStackFrames)
        c.loopDepth = kStackFrames;
    const uint32_t top = c.loopDepth - 1;
    const int32_t count = c.loopCounts[top];
    if (count < 0) {
        reader.jump(c.loopReturns[top]);
    } else if (count <= 1) {
        c.loopDepth = top;
    } else {
        reader.jump(c.loopReturns[top]);
        c.loopCounts[top] = count - 1;
    }
}

// Carries out one opcode with its operands.  False when the channel must
// stop: "end".
bool execute(MacroChannel& c, Voice& v, uint8_t opcode, const int32_t* operands, CodeReader& reader)
{
    switch (opcode) {
    case MACRO_END:
        return false;
    case MACRO_SINGLESHOT:
        v.mode = 1;
        return true;
    case MACRO_LOOPING:
        v.mode = 2;
        v.loopStart = static_cast<int16_t>(operands[0]);
        v.loopEnd = static_cast<int16_t>(operands[1]);
        return true;
    case MACRO_VOLUME:
        c.volume = static_cast<uint16_t>(operands[0] << 8);
        c.volumeSlide = static_cast<int16_t>(operands[1]);
        return true;
    case MACRO_FREQUENCY:
        c.frequency = operands[0];
        c.frequencySlide = operands[1];
        return true;
    case MACRO_LOOP:
        pushLoop(c, static_cast<int8_t>(operands[0]), reader.position());
        return true;
    case MACRO_ENDLOOP:
        endLoop(c, reader);
        return true;
    default:  // MACRO_NOP
        return true;
    }
}

}  // namespace

void runMacro(int channel)
{
    MacroChannel& c = channels[channel];
    Voice& v = *c.voice;
    CodeReader reader(c.code, c.position, channelCode[channel]);
    runUntilWait(
        c, reader, bs_macroOpcode,
        [&](uint8_t op, const int32_t* operands) { return execute(c, v, op, operands, reader); },
        [&] { endMacro(channel); });
    c.position = reader.position();
    c.wait = countDown(c.wait);
}

void applyMacro(int channel)
{
    MacroChannel& c = channels[channel];
    Voice& v = *c.voice;
    c.pitchOffset = wrappingAdd(c.pitchOffset, c.pitchSlide);
    c.frequency = wrappingAdd(c.frequency, c.frequencySlide);
    if (c.noteMode != 0)
        v.phaseAdjust = static_cast<uint32_t>(c.noteStep) + static_cast<uint32_t>(c.frequency) +
                        static_cast<uint32_t>(c.pitchOffset);
    else
        v.phaseAdjust = static_cast<uint32_t>(c.frequency);
    c.volume = static_cast<uint16_t>(c.volume + c.volumeSlide);
    v.volume = static_cast<int8_t>(c.volume >> 8);
}

void restartMacro(int channel, CodeBounds bounds)
{
    MacroChannel& c = channels[channel];
    Voice& v = *c.voice;
    channelCode[channel] = bounds;
    v.mode = 0;
    v.phase = 0;
    c.frequency = 0;
    c.frequencySlide = 0;
    c.volume = 0;
    c.volumeSlide = 0;
    c.position = 0;
    c.loopDepth = 0;
    c.wait = 0;
}

void noteOffMacro(int channel)
{
    MacroChannel& c = channels[channel];
    if (c.noteMode == 0)
        return;
    c.loopDepth = 0;
    c.position = c.noteOffPosition;
    c.wait = 0;
}

}  // namespace brimsel
