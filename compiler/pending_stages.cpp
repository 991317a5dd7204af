// PENDING STAGES -- temporary, delete when the macro and music stages land.
//
// Stand-ins for the stages of macros.h, macro_writers.h, music.h and linker.h so that bscomp
// links before those stages exist. Every stage refuses with "Feature not implemented" and
// fails; the release operations have nothing to release.
#include "compiler/linker.h"
#include "compiler/macro_writers.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/music.h"

namespace {

int notImplemented()
{
    printMessage(stderr, kFormatMessage, kFeatureNotImplemented);
    return -1;
}

}  // namespace

int parseMacroScript(FILE*, const char*, bool, bool)
{
    return notImplemented();
}

int findMacro(const char*, uint32_t*, CompiledMacro**)
{
    return -1;
}

void releaseMacros() {}

int writeInstrumentPack(FILE*, const char*)
{
    return notImplemented();
}

int writeSoundEffects()
{
    return notImplemented();
}

int parseMusicScript(FILE*, const char*)
{
    return notImplemented();
}

void releaseMusic() {}

int linkMusicTrack(FILE*, const char*)
{
    return notImplemented();
}
