/* Halvex: the host library.  C ABI.
 *
 * The host clocks the Brimsel engine from a periodic timer, streams the
 * rendered blocks into the sound device's looping buffer, serialises every
 * call into the engine with a mutex and can log the output to a WAV file.
 *
 * Threads: the timer renders on a thread of its own.  Every call below that
 * reaches the engine or the log takes the host's engine mutex, so any thread
 * may make it.  hx_init and hx_close start and stop that thread and create
 * and destroy the mutex: call them from one thread at a time, and not while
 * another thread is inside any other hx_ call (hx_getState and hx_getInfo
 * excepted: they take no lock and may run at any time).
 *
 * Package images are borrowed, never copied or freed (see engine/engine.h):
 * the two packs until hx_close returns, a music track or sound effect while
 * it may play. */
#ifndef HALVEX_HOST_H
#define HALVEX_HOST_H

#include <stdint.h>

#include "engine/engine.h"

#if defined(_WIN32)
#  if defined(HALVEX_BUILD)
#    define HX_API __declspec(dllexport)
#  else
#    define HX_API __declspec(dllimport)
#  endif
#else
#  define HX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result of hx_init: an HRESULT, negative on failure.  The values are the
 * same on every platform. */
typedef int32_t HXRESULT;

#define HX_SUCCEEDED(hr) ((HXRESULT)(hr) >= 0)
#define HX_FAILED(hr) ((HXRESULT)(hr) < 0)

#define HX_S_OK ((HXRESULT)0)
/* Bad arguments, an image that the engine rejects, or a mutex that could not
 * be created. */
#define HX_E_FAIL ((HXRESULT)0x80004005u)
#define HX_E_OUTOFMEMORY ((HXRESULT)0x8007000Eu)
/* No sound output device could be opened. */
#define HX_E_NODEVICE ((HXRESULT)0x88780078u)
/* The device refused the output format (48000 Hz, 16-bit, stereo). */
#define HX_E_BADFORMAT ((HXRESULT)0x88780064u)
/* The device is in use by another program. */
#define HX_E_ALLOCATED ((HXRESULT)0x8878000Au)
/* An operating-system error code carried as an HRESULT. */
#define HX_E_SYSTEM(code) ((HXRESULT)(0x80070000u | ((uint32_t)(code)&0xFFFFu)))

enum {
    HX_RING_BLOCKS = 4,
    HX_RING_VALUES = HX_RING_BLOCKS * BS_BLOCK_VALUES, /* 1600 signed 16-bit samples */
    HX_LOG_LIMIT = 0x40000000                          /* a WAV log stops growing at 1 GiB */
};

/* Starts the engine on the two packs (bs_init), opens the default sound
 * device, and starts rendering.  `window` is an opaque handle: on Windows the
 * application's main window (required); elsewhere it is not used and may be
 * null.  A host that is already running is closed first.  Returns a
 * non-negative value on success; on failure the host stays closed. */
HX_API HXRESULT hx_init(void* window, const uint8_t* samplePack, const uint8_t* instrumentPack);
/* The same with the images' sizes, for packs from untrusted files: the engine
 * then checks every read against them (bs_initSized). */
HX_API HXRESULT hx_initSized(void* window, const uint8_t* samplePack, uint32_t samplePackSize,
                             const uint8_t* instrumentPack, uint32_t instrumentPackSize);
/* Stops rendering, finishes an open WAV log and releases the device, the
 * timer and the mutexes.  Safe at any time, also more than once. */
HX_API void hx_close(void);

/* Forwards to the engine.  Each does nothing while the host is not running;
 * its effect begins with the next rendered block. */
HX_API void hx_pause(void);
HX_API void hx_resume(void);
HX_API void hx_stopAll(void);
HX_API void hx_playMusic(const uint8_t* music);
HX_API void hx_playMusicSized(const uint8_t* music, uint32_t size);
HX_API void hx_stopMusic(void);
HX_API void hx_attenMusic(int8_t level);
/* 1 while music plays (as of the last rendered block), else 0. */
HX_API int32_t hx_checkMusic(void);
/* Priority 0 is not a valid effect priority and is ignored. */
HX_API void hx_playSFX(const uint8_t* effect, int8_t priority, int8_t left, int8_t right);
HX_API void hx_playSFXSized(const uint8_t* effect, uint32_t size, int8_t priority, int8_t left,
                            int8_t right);
HX_API void hx_stopSFX(int8_t priority);

/* Hands out the live state for displays; every pointer may be null.  The
 * voice, channel and track tables (Voice*, MacroChannel*, MusicTrack*, 16
 * entries each) and the ring (HX_RING_VALUES samples, the last four rendered
 * blocks) stay at fixed addresses, but the timer rewrites them while the host
 * runs: use hx_copyState for values that must not tear.  `running` is -1
 * while running, else 0; `blocksRendered` counts blocks since hx_init.  Takes
 * no lock and works whether or not the host runs. */
HX_API void hx_getState(void** voices, void** channels, void** tracks, int32_t* running,
                        uint32_t* blocksRendered, int16_t** ring, uint32_t* ringLength);
/* Copies the same state, consistently between two rendered blocks, into the
 * caller's buffers; every pointer may be null.  `voices`, `channels` and
 * `tracks` receive 16 entries each, `ring` HX_RING_VALUES samples. */
HX_API void hx_copyState(Voice* voices, MacroChannel* channels, MusicTrack* tracks,
                         int32_t* running, uint32_t* blocksRendered, int16_t* ring);
/* The engine's dimensions (bs_getInfo); every pointer may be null.  0 when
 * the engine renders 16 channels at 48000 Hz in 240 ticks a second, which
 * the host is built for, else -1.  Needs no hx_init. */
HX_API int32_t hx_getInfo(uint32_t* channels, uint32_t* renderRate, uint32_t* tickRate,
                          uint32_t* librarySize, uint32_t* maxSampleLength);

/* Starts logging every rendered block to a new WAV file at `path` (an
 * existing file is replaced).  0 when logging has started; -1 when the host
 * is not running, a log is already open, or the file cannot be created, cannot
 * be sought back to for the header (a pipe or a terminal) or cannot take the
 * header (a full disk: the emptied file is removed). */
HX_API int32_t hx_logOutput(const char* path);
/* Writes the WAV header and closes the log, if one is open.  A log that a
 * failed write stopped before it held any audio is removed instead. */
HX_API void hx_closeLog(void);

/* What became of a WAV log: why it holds less than every block rendered
 * since it began, if it does. */
enum {
    HX_LOG_COMPLETE = 0, /* it holds every block (so far) */
    HX_LOG_CAPPED = 1,   /* it stopped growing at HX_LOG_LIMIT */
    /* The file could not be created, or a write to it failed or fell short
     * (a full disk, a file size limit): the log stopped growing at the last
     * whole block before it, so that it never holds part of a block. */
    HX_LOG_WRITE_FAILED = 2,
    HX_LOG_HEADER_FAILED = 3 /* its header could not be written on close */
};
/* The state of the WAV log that is open, else of the last one that
 * hx_logOutput tried to start since hx_init; every pointer may be null.
 * `open` is -1 while it is open, else 0; `fileBytes` the bytes its file
 * holds, header included (0 when there is no file, or none was tried);
 * `blocks` the blocks rendered since it began, whether or not they reached
 * the file; `error` the system's error code (errno) of the failure, else 0.
 * Returns one of the HX_LOG_ values.  The header written on close always
 * describes exactly the audio in the file (unless HX_LOG_HEADER_FAILED), and
 * the file ends there.  Works whether or not the host runs. */
HX_API int32_t hx_getLogState(int32_t* open, uint32_t* fileBytes, uint32_t* blocks,
                              int32_t* error);

/* A short English description of a result of hx_init, for messages. */
HX_API const char* hx_resultText(HXRESULT result);

#ifdef __cplusplus
}
#endif

#endif
