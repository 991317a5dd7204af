// Starting the host on a chosen platform.  hx_init and hx_initSized run these
// on the build's default platform; tests and measurements pass a scripted or
// instrumented one.  Not exported from the shared library.
#ifndef HALVEX_HOST_START_H
#define HALVEX_HOST_START_H

#include <cstdint>

#include "host/host.h"
#include "host/platform/platform.h"

namespace halvex {

HXRESULT initHost(Platform& platform, void* window, const uint8_t* samplePack,
                  const uint8_t* instrumentPack);
HXRESULT initHostSized(Platform& platform, void* window, const uint8_t* samplePack,
                       uint32_t samplePackSize, const uint8_t* instrumentPack,
                       uint32_t instrumentPackSize);

}  // namespace halvex

#endif
