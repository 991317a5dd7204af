// The macro interpreter: one tick of a channel's program (Run), the slides
// and the voice update that follow it (Apply), and the two entry points the
// music sequencer and the sound-effect starter use (Restart, Note-off).
#ifndef BRIMSEL_MACRO_H
#define BRIMSEL_MACRO_H

#include "engine/state.h"

namespace brimsel {

void runMacro(int channel);
void applyMacro(int channel);
// Prepares channel `channel` to run the code its caller pointed it at from
// the first byte; `bounds` say where that code may be read.
void restartMacro(int channel, CodeBounds bounds);
void noteOffMacro(int channel);
// Silences the channel's voice and leaves the channel idle, as "end" does.
void endMacro(int channel);

}  // namespace brimsel

#endif
