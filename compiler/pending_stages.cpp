// PENDING STAGES -- temporary, delete when the music stage lands.
//
// Stand-ins for the stages of music.h and linker.h so that bscomp
// links before those stages exist. Every stage refuses with "Feature not implemented" and
// fails; the release operations have nothing to release.
#include "compiler/linker.h"
#include "compiler/messages.h"
#include "compiler/music.h"

namespace {

int notImplemented()
{
    printMessage(stderr, kFormatMessage, kFeatureNotImplemented);
    return -1;
}

}  // namespace

int parseMusicScript(FILE*, const char*)
{
    return notImplemented();
}

void releaseMusic() {}

int linkMusicTrack(FILE*, const char*)
{
    return notImplemented();
}
