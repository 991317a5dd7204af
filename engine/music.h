// The music sequencer: starting a music image and stepping its tracks.
#ifndef BRIMSEL_MUSIC_H
#define BRIMSEL_MUSIC_H

#include "engine/state.h"

namespace brimsel {

// Sets up the tracks of `image`; false (and nothing set up) when it is not a
// music image or its track table does not fit.
bool startMusic(const Image& image);
// One step of track `track`.
void stepTrack(int track);
// Stops every track; with `everything` also every channel, else only the
// channels playing music notes.
void stopTracks(bool everything);

}  // namespace brimsel

#endif
