// HostState: the host's one process-wide record, and the constants of its
// stream.  Shared by the lifecycle, the tick, the forwards and the WAV log.
#ifndef HALVEX_HOST_STATE_H
#define HALVEX_HOST_STATE_H

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/engine.h"
#include "host/host.h"
#include "host/platform/platform.h"

namespace halvex {

constexpr uint32_t kBlockBytes = BS_BLOCK_BYTES;            // 800: one engine tick
constexpr uint32_t kRingBlocks = HX_RING_BLOCKS;            // 4
constexpr uint32_t kRingBytes = kRingBlocks * kBlockBytes;  // 3200
constexpr uint32_t kBufferBlocks = 64;
constexpr uint32_t kBufferBytes = kBufferBlocks * kBlockBytes;  // 51200, about 267 ms
constexpr uint32_t kTimerPeriodMs = 4;
constexpr uint32_t kTimerResolutionMs = 2;
constexpr OutputFormat kOutputFormat{BS_RENDER_RATE, 2, 16};  // 192000 bytes a second

// Flags hold -1 when set and 0 when clear.
struct HostState {
    // Read by every forward on any thread; written only by hx_init and hx_close.
    std::atomic<int32_t> running{0};

    OutputDevice* device = nullptr;
    PeriodicTimer* timer = nullptr;
    Mutex* tickMutex = nullptr;    // created when non-null
    Mutex* engineMutex = nullptr;  // created when non-null

    // The tick's own: written only by the tick (under tickMutex) and by
    // hx_init before the timer starts.
    int16_t renderRing[HX_RING_VALUES] = {};
    uint32_t renderIndex = 0;  // ring slot that the next render fills
    uint32_t readIndex = 0;    // ring slot that the next copy takes
    uint32_t nextWritePos = 0;
    uint32_t lastPlayPos = 0;
    int32_t firstTick = 0;

    std::atomic<uint32_t> blocksRendered{0};

    // Times the tick found its next block where the device reads and moved
    // it further ahead, adding a block's worth of latency or more for good.
    std::atomic<uint32_t> guardMoves{0};

    // The WAV log, under engineMutex.
    std::FILE* logFile = nullptr;
    int32_t logging = 0;
    uint32_t logBytes = 0;
    // What became of the open log, or of the last one tried (hx_getLogState).
    int32_t logStop = HX_LOG_COMPLETE;
    int32_t logError = 0;    // errno of the failure that stopped it
    uint32_t logBlocks = 0;  // rendered since it began
    std::string logPath;     // to remove a log that never held audio
};

// The record itself; never destroyed, so a host left running at process exit
// cannot be torn down under its own timer.
HostState& hostState();

// The timer callback.
void onTimerTick(void* context);

// Appends one rendered block to the WAV log, if one is open, below 1 GiB and
// not stopped by a failed write.  Called with engineMutex held.
void appendToLog(HostState& host, const int16_t* block);

}  // namespace halvex

#endif
