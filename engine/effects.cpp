#include "engine/effects.h"

#include <cstring>

#include "engine/macro.h"
#include "formats/packages.h"

namespace brimsel {

int chooseEffectChannel(int8_t priority)
{
    // Idle channels under inactive tracks first, then weaker channels under
    // inactive tracks, then any weaker channel; always from the top down, so
    // effects and music (track i on channel i) meet as late as possible.
    for (int i = kChannels - 1; i >= 0; --i)
        if (channels[i].priority == 0 && tracks[i].priority == 0)
            return i;
    for (int i = kChannels - 1; i >= 0; --i)
        if (priority > channels[i].priority && tracks[i].priority == 0)
            return i;
    for (int i = kChannels - 1; i >= 0; --i)
        if (priority > channels[i].priority)
            return i;
    return -1;
}

void startEffect(const EffectRequest& request)
{
    const Image& image = request.image;
    if (image.base == nullptr || !image.holds(0, BS_HEADER_SIZE) ||
        std::memcmp(image.base, BS_MAGIC_EFFECT, BS_MAGIC_SIZE) != 0)
        return;
    const uint32_t count = bs_readU32(image.base + BS_HEADER_COUNT_OFFSET);
    if (count == 0 || !image.holds(BS_HEADER_SIZE, uint64_t{count} * BS_EFFECT_ENTRY_SIZE))
        return;
    for (uint32_t e = 0; e < count; ++e) {
        const int d = chooseEffectChannel(request.priority);
        if (d < 0)
            return;  // this entry and the later ones find no channel
        const uint8_t* entry = image.base + BS_HEADER_SIZE + uint64_t{e} * BS_EFFECT_ENTRY_SIZE;
        const uint32_t codeOffset = bs_readU32(entry + BS_EFFECT_ENTRY_CODE_OFFSET);
        MacroChannel& c = channels[d];
        Voice& v = voices[d];
        c.code = image.base + codeOffset;
        c.priority = request.priority;
        c.noteMode = 0;
        c.noteOffPosition = 0;
        const Sample sample = lookupSample(bs_readU32(entry + BS_EFFECT_ENTRY_SAMPLE_INDEX));
        v.data = sample.data;
        v.length = sample.length;
        restartMacro(d, codeBoundsAt(image, codeOffset));
        v.panLeft = request.left;
        v.panRight = request.right;
    }
}

void stopEffect(int8_t priority)
{
    for (int i = 0; i < kChannels; ++i) {
        if (channels[i].noteMode == 0 && channels[i].priority == priority) {
            voices[i].mode = 0;
            channels[i].priority = 0;
        }
    }
}

}  // namespace brimsel
