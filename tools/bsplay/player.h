// Playing the loaded packages through the host until the music ends, the
// time is up, or the user quits.
#ifndef BSPLAY_PLAYER_H
#define BSPLAY_PLAYER_H

#include "options.h"

namespace bsplay {

// Returns the exit status.
int play(const Options& options);

}  // namespace bsplay

#endif
