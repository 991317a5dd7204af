// Small package images built in memory for the host's tests and measurements:
// one noise sample, one looping instrument, a looping effect and a short tune.
#ifndef HALVEX_TESTS_TEST_PACKAGES_H
#define HALVEX_TESTS_TEST_PACKAGES_H

#include <cstdint>

#include "package_images.h"

namespace hosttest {

// Images at addresses that are multiples of 4, as the engine wants.
using Image = testing_images::Image;

// Sample 0: 30000 bytes of noise recorded at 48000 Hz, pitched at 440 Hz.
Image samplePack();
// Instrument 0: sample 0 looping at full volume until note-off.
Image instrumentPack();
// One channel on sample 0, looping at 7/8 speed, volume 100, for `ticks`
// ticks (at most 16383); then it ends.
Image loopingEffect(uint32_t ticks);
// One track at priority 10: `notes` notes of 24 ticks each on instrument 0,
// then "end" (so `notes` x 24 ticks of music).
Image tune(uint32_t notes);

}  // namespace hosttest

#endif
