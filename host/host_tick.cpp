// onTimerTick: moves the blocks that earlier ticks rendered into the device's
// looping buffer, as many as the device has played since the last tick, and
// renders as many new ones into the ring.
#include <cstring>

#include "host/host_state.h"

namespace halvex {

namespace {

// The first block boundary strictly after `offset`, within the buffer.
uint32_t boundaryAfter(uint32_t offset)
{
    return (offset / kBlockBytes + 1) * kBlockBytes % kBufferBytes;
}

// Whether `offset` lies on the circular span from `from` forward to `to`,
// both ends included.
bool inSpan(uint32_t offset, uint32_t from, uint32_t to)
{
    if (from <= to)
        return offset >= from && offset <= to;
    return offset >= from || offset <= to;
}

// Copies whole blocks from the ring into one region of the device's buffer.
void fillRegion(HostState& host, const DeviceRegion& region)
{
    if (region.data == nullptr)
        return;
    for (uint32_t done = 0; done + kBlockBytes <= region.bytes; done += kBlockBytes) {
        std::memcpy(region.data + done, host.renderRing + host.readIndex * BS_BLOCK_VALUES,
                    kBlockBytes);
        host.readIndex = (host.readIndex + 1) % kRingBlocks;
    }
}

}  // namespace

void onTimerTick(void*)
{
    HostState& host = hostState();
    Mutex* tickMutex = host.tickMutex;
    // A tick still running (or hx_close) holds it: this beat is dropped.
    if (tickMutex == nullptr || !tickMutex->tryLock())
        return;

    OutputDevice* device = host.device;
    uint32_t play = 0;
    uint32_t write = 0;
    if (HX_FAILED(device->position(&play, &write))) {
        tickMutex->unlock();
        return;
    }
    play %= kBufferBytes;
    write %= kBufferBytes;

    uint32_t blocks;
    uint32_t start;
    uint32_t base;
    if (host.firstTick) {
        // Four blocks (of silence) go out at once, clear of what the device
        // has already taken.
        blocks = kRingBlocks;
        uint32_t gap = (write + kBufferBytes - play) % kBufferBytes;
        start = boundaryAfter((write + (gap > kRingBytes ? gap : kRingBytes)) % kBufferBytes);
        base = play - play % kBlockBytes;
        host.renderIndex = 0;
        host.readIndex = 0;
        host.firstTick = 0;
    } else {
        uint32_t progress = (play + kBufferBytes - host.lastPlayPos) % kBufferBytes;
        blocks = progress / kBlockBytes;
        // Nothing played yet, or the device has run so far ahead (a stall)
        // that the blocks in hand belong to audio it has skipped: wait until
        // its cursor comes round to where the accounting stands.
        if (blocks == 0 || blocks > kRingBlocks) {
            tickMutex->unlock();
            return;
        }
        start = host.nextWritePos;
        base = host.lastPlayPos;
    }

    // Never write where the device reads: from the play cursor to one block
    // past the write cursor.
    if (inSpan(start, play, (write + kBlockBytes) % kBufferBytes)) {
        start = boundaryAfter((write + kRingBytes) % kBufferBytes);
        host.guardMoves.fetch_add(1, std::memory_order_relaxed);
    }

    uint32_t bytes = blocks * kBlockBytes;
    host.nextWritePos = (start + bytes) % kBufferBytes;
    host.lastPlayPos = (base + bytes) % kBufferBytes;

    DeviceRegion regions[2];
    if (HX_FAILED(device->lock(start, bytes, regions))) {
        tickMutex->unlock();
        return;
    }
    fillRegion(host, regions[0]);
    fillRegion(host, regions[1]);
    if (HX_FAILED(device->unlock(regions))) {
        tickMutex->unlock();
        return;
    }

    uint32_t render = (host.readIndex + kRingBlocks - host.renderIndex) % kRingBlocks;
    if (render == 0)
        render = kRingBlocks;

    Mutex* engineMutex = host.engineMutex;
    if (!engineMutex->lock()) {
        tickMutex->unlock();
        return;
    }
    for (uint32_t i = 0; i < render; ++i) {
        int16_t* block = host.renderRing + host.renderIndex * BS_BLOCK_VALUES;
        bs_update(block);
        appendToLog(host, block);
        host.renderIndex = (host.renderIndex + 1) % kRingBlocks;
        host.blocksRendered.fetch_add(1, std::memory_order_relaxed);
    }
    engineMutex->unlock();
    tickMutex->unlock();
}

}  // namespace halvex
