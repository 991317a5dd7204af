/* Brimsel: the sample-playback engine.  C ABI.
 *
 * The engine keeps all of its state in static tables, allocates nothing and
 * renders only when bs_update is called: one call is one tick (1/240 s) and
 * fills one block of 200 stereo frames at 48000 Hz.  Control calls only post
 * requests; the next bs_update applies them in a fixed order.  The engine
 * takes no locks: callers serialise every call, bs_update included.
 *
 * Package images are borrowed, never copied or freed: each must stay valid
 * and unchanged while anything may play from it. */
#ifndef BRIMSEL_ENGINE_H
#define BRIMSEL_ENGINE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(BRIMSEL_BUILD)
#    define BS_API __declspec(dllexport)
#  else
#    define BS_API __declspec(dllimport)
#  endif
#else
#  define BS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    BS_CHANNELS = 16,
    BS_RENDER_RATE = 48000,
    BS_TICK_RATE = 240,
    BS_FRAMES_PER_TICK = 200,
    BS_BLOCK_VALUES = 400, /* 200 frames x 2 channels, left first */
    BS_BLOCK_BYTES = 800,
    BS_LIBRARY_SIZE = 256,
    BS_MAX_SAMPLE_LENGTH = 0x8000,
    BS_STACK_FRAMES = 4,
    BS_QUEUE_SLOTS = 32
};

/* What the mixer reads: one per channel. */
typedef struct Voice {
    int32_t mode;       /* 0 off, 1 single-shot, 2 looping */
    const int8_t* data; /* first sample byte (8-bit signed PCM) */
    uint16_t length;    /* in samples */
    int8_t volume;
    int8_t panLeft;
    int8_t panRight;
    uint32_t phase;       /* 16.16 play position */
    uint32_t phaseAdjust; /* 16.16 step per output frame */
    int16_t loopStart;
    int16_t loopEnd; /* exclusive */
} Voice;

/* The macro program driving one voice. */
typedef struct MacroChannel {
    Voice* voice;
    int32_t noteMode; /* -1 while playing a music note, 0 otherwise */
    int32_t priority; /* 0 idle, else the owner's priority */
    const uint8_t* code;
    int32_t position;
    int32_t noteOffPosition;
    int32_t wait;
    int32_t noteStep;    /* 16.16 */
    int32_t pitchOffset; /* 16.16, set by the music's "pitch" */
    int32_t pitchSlide;
    int32_t frequency; /* 16.16 */
    int32_t frequencySlide;
    uint16_t volume;     /* 8.8 */
    int16_t volumeSlide; /* 8.8 */
    uint32_t loopDepth;
    int32_t loopCounts[4];
    int32_t loopReturns[4];
} MacroChannel;

/* One music track; track i always plays on channel i. */
typedef struct MusicTrack {
    Voice* voice;
    MacroChannel* channel;
    int32_t priority; /* 0 inactive */
    int32_t panChanged;
    int32_t instrument;
    const uint8_t* code;
    int32_t position;
    int32_t wait;
    int8_t attenuation;
    int8_t panLeft;
    int8_t panRight;
    int8_t outLeft; /* (attenuation * panLeft) >> 7 */
    int8_t outRight;
    uint32_t stackDepth;
    int32_t stackCounts[4]; /* -128 marks a call frame */
    int32_t stackReturns[4];
} MusicTrack;

/* The records are shared with readers built separately (the status display),
 * so their layout is pinned: field order as declared, natural alignment. */
#if defined(__cplusplus)
#  define BS_LAYOUT_ASSERT(condition, what) static_assert(condition, what)
#else
#  define BS_LAYOUT_ASSERT(condition, what) _Static_assert(condition, what)
#endif
#define BS_LAYOUT_P64 (sizeof(void*) == 8)
#define BS_LAYOUT_AT(record, field, at64, at32)                                  \
  BS_LAYOUT_ASSERT(offsetof(record, field) == (BS_LAYOUT_P64 ? (at64) : (at32)), \
                   #record "." #field " has moved")

BS_LAYOUT_ASSERT(sizeof(void*) == 8 || sizeof(void*) == 4, "pointers of 4 or 8 bytes");

BS_LAYOUT_AT(Voice, mode, 0, 0);
BS_LAYOUT_AT(Voice, data, 8, 4);
BS_LAYOUT_AT(Voice, length, 16, 8);
BS_LAYOUT_AT(Voice, volume, 18, 10);
BS_LAYOUT_AT(Voice, panLeft, 19, 11);
BS_LAYOUT_AT(Voice, panRight, 20, 12);
BS_LAYOUT_AT(Voice, phase, 24, 16);
BS_LAYOUT_AT(Voice, phaseAdjust, 28, 20);
BS_LAYOUT_AT(Voice, loopStart, 32, 24);
BS_LAYOUT_AT(Voice, loopEnd, 34, 26);
BS_LAYOUT_ASSERT(sizeof(Voice) == (BS_LAYOUT_P64 ? 40 : 28), "Voice has changed size");

BS_LAYOUT_AT(MacroChannel, voice, 0, 0);
BS_LAYOUT_AT(MacroChannel, noteMode, 8, 4);
BS_LAYOUT_AT(MacroChannel, priority, 12, 8);
BS_LAYOUT_AT(MacroChannel, code, 16, 12);
BS_LAYOUT_AT(MacroChannel, position, 24, 16);
BS_LAYOUT_AT(MacroChannel, noteOffPosition, 28, 20);
BS_LAYOUT_AT(MacroChannel, wait, 32, 24);
BS_LAYOUT_AT(MacroChannel, noteStep, 36, 28);
BS_LAYOUT_AT(MacroChannel, pitchOffset, 40, 32);
BS_LAYOUT_AT(MacroChannel, pitchSlide, 44, 36);
BS_LAYOUT_AT(MacroChannel, frequency, 48, 40);
BS_LAYOUT_AT(MacroChannel, frequencySlide, 52, 44);
BS_LAYOUT_AT(MacroChannel, volume, 56, 48);
BS_LAYOUT_AT(MacroChannel, volumeSlide, 58, 50);
BS_LAYOUT_AT(MacroChannel, loopDepth, 60, 52);
BS_LAYOUT_AT(MacroChannel, loopCounts, 64, 56);
BS_LAYOUT_AT(MacroChannel, loopReturns, 80, 72);
BS_LAYOUT_ASSERT(sizeof(MacroChannel) == (BS_LAYOUT_P64 ? 96 : 88), "MacroChannel has changed size");

BS_LAYOUT_AT(MusicTrack, voice, 0, 0);
BS_LAYOUT_AT(MusicTrack, channel, 8, 4);
BS_LAYOUT_AT(MusicTrack, priority, 16, 8);
BS_LAYOUT_AT(MusicTrack, panChanged, 20, 12);
BS_LAYOUT_AT(MusicTrack, instrument, 24, 16);
BS_LAYOUT_AT(MusicTrack, code, 32, 20);
BS_LAYOUT_AT(MusicTrack, position, 40, 24);
BS_LAYOUT_AT(MusicTrack, wait, 44, 28);
BS_LAYOUT_AT(MusicTrack, attenuation, 48, 32);
BS_LAYOUT_AT(MusicTrack, panLeft, 49, 33);
BS_LAYOUT_AT(MusicTrack, panRight, 50, 34);
BS_LAYOUT_AT(MusicTrack, outLeft, 51, 35);
BS_LAYOUT_AT(MusicTrack, outRight, 52, 36);
BS_LAYOUT_AT(MusicTrack, stackDepth, 56, 40);
BS_LAYOUT_AT(MusicTrack, stackCounts, 60, 44);
BS_LAYOUT_AT(MusicTrack, stackReturns, 76, 60);
BS_LAYOUT_ASSERT(sizeof(MusicTrack) == (BS_LAYOUT_P64 ? 96 : 76), "MusicTrack has changed size");

#undef BS_LAYOUT_AT
#undef BS_LAYOUT_P64
#undef BS_LAYOUT_ASSERT

/* Adopts a sample pack and an instrument pack (both at addresses that are
 * multiples of 4) and resets playback.  0 on success, -1 on failure. */
BS_API int32_t bs_init(const uint8_t* samplePack, const uint8_t* instrumentPack);
/* Runs one tick and fills `block` with 400 int16 values (200 stereo frames). */
BS_API void bs_update(int16_t* block);
BS_API void bs_playMusic(const uint8_t* music);
/* Also cancels a music start not yet carried out: once it returns, the engine
 * reads no music image any more and the caller may free it. */
BS_API void bs_stopMusic(void);
BS_API void bs_attenMusic(int8_t level);
BS_API int32_t bs_checkMusic(void);
BS_API void bs_playSFX(const uint8_t* effect, int8_t priority, int8_t left, int8_t right);
/* Also drops queued, not yet started effects of this priority: once it
 * returns, the caller may free the images of the effects it stops.  Unlike
 * other requests a stop is never dropped: stops that find the 32-slot queue
 * full are kept aside and carried out after the queued ones. */
BS_API void bs_stopSFX(int8_t priority);
BS_API void bs_pause(void);
BS_API void bs_resume(void);
BS_API void bs_stopAll(void);
/* Puts the engine back as it was when the library was loaded: the three
 * tables cleared (but for the links between them), no packs adopted, no
 * request pending, not paused.  bs_init alone leaves a few fields as the last
 * playing left them (a track's instrument, a channel's pitch) and keeps a
 * pause; after bs_reset and bs_init the same calls give the same blocks every
 * time.  Nothing plays until the next bs_init. */
BS_API void bs_reset(void);
BS_API void bs_getState(Voice** voices, MacroChannel** channels, MusicTrack** tracks);
BS_API void bs_getInfo(uint32_t* channels, uint32_t* renderRate, uint32_t* tickRate,
                       uint32_t* librarySize, uint32_t* maxSampleLength);

/* Length-aware entry points for images from untrusted sources.  With the
 * image's size known, the engine checks every read of a header, entry, code
 * byte or sample byte against it: an entry pointing outside gives the empty
 * sample, a request whose header does not fit is dropped, and code that would
 * run off the end stops its channel or track as "end" does.  bs_initSized
 * also fails when a pack's entry table does not fit in its size. */
BS_API int32_t bs_initSized(const uint8_t* samplePack, uint32_t samplePackSize,
                            const uint8_t* instrumentPack, uint32_t instrumentPackSize);
BS_API void bs_playMusicSized(const uint8_t* music, uint32_t size);
BS_API void bs_playSFXSized(const uint8_t* effect, uint32_t size, int8_t priority, int8_t left,
                            int8_t right);

#ifdef __cplusplus
}
#endif

#endif
