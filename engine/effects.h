// Sound effects: carrying out start requests (claiming channels by priority)
// and stop requests.
#ifndef BRIMSEL_EFFECTS_H
#define BRIMSEL_EFFECTS_H

#include "engine/state.h"

namespace brimsel {

void startEffect(const EffectRequest& request);
void stopEffect(int8_t priority);
// The channel an entry of an effect of priority `priority` would take, or -1.
int chooseEffectChannel(int8_t priority);

}  // namespace brimsel

#endif
