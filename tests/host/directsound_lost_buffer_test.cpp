// A DirectSound buffer that another program took away: the device restores
// it, fills it with silence and plays it again, instead of leaving every
// later lock failing and the host silent.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/platform/windows/directsound_device.h"

namespace {

// A looping buffer that the test can make lost.  After Restore its memory
// holds leftovers, as a real one's may.
class ScriptedBuffer final : public IDirectSoundBuffer {
public:
    explicit ScriptedBuffer(DWORD bytes) : memory(bytes, 0x11) {}

    std::vector<uint8_t> memory;
    bool lost = false;
    bool restoreFails = false;
    bool playing = false;
    int plays = 0;

    STDMETHOD_(HRESULT, QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }  // owned by the test
    STDMETHOD(GetCaps)(LPDSBCAPS) override { return E_NOTIMPL; }
    STDMETHOD(GetCurrentPosition)(LPDWORD play, LPDWORD write) override
    {
        *play = 0;
        *write = 0;
        return DS_OK;
    }
    STDMETHOD(GetFormat)(LPWAVEFORMATEX, DWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetVolume)(LPLONG) override { return E_NOTIMPL; }
    STDMETHOD(GetPan)(LPLONG) override { return E_NOTIMPL; }
    STDMETHOD(GetFrequency)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetStatus)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return E_NOTIMPL; }
    STDMETHOD(Lock)(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes, LPVOID* second,
                    LPDWORD secondBytes, DWORD flags) override
    {
        if (lost)
            return DSERR_BUFFERLOST;
        const DWORD size = static_cast<DWORD>(memory.size());
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = size;
        }
        const DWORD head = bytes < size - offset ? bytes : size - offset;
        *first = memory.data() + offset;
        *firstBytes = head;
        *second = head < bytes ? memory.data() : nullptr;
        *secondBytes = bytes - head;
        return DS_OK;
    }
    STDMETHOD(Play)(DWORD, DWORD, DWORD) override
    {
        if (lost)
            return DSERR_BUFFERLOST;
        playing = true;
        ++plays;
        return DS_OK;
    }
    STDMETHOD(SetCurrentPosition)(DWORD) override { return DS_OK; }
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX) override { return E_NOTIMPL; }
    STDMETHOD(SetVolume)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(SetPan)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(SetFrequency)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Stop)() override
    {
        playing = false;
        return DS_OK;
    }
    STDMETHOD(Unlock)(LPVOID, DWORD, LPVOID, DWORD) override { return lost ? DSERR_BUFFERLOST : DS_OK; }
    STDMETHOD(Restore)() override
    {
        if (restoreFails)
            return DSERR_BUFFERLOST;
        lost = false;
        std::fill(memory.begin(), memory.end(), 0x5A);
        return DS_OK;
    }
};

bool silent(const std::vector<uint8_t>& bytes)
{
    for (uint8_t byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

TEST(DirectSoundLostBuffer, IsRestoredSilentAndPlaysOn)
{
    // Lost while playing, found by the next tick's lock or by a play.
    for (bool foundByLock : {true, false}) {
        ScriptedBuffer buffer(8000);
        std::unique_ptr<halvex::DirectSoundDevice> device(
            halvex::DirectSoundDevice::adopt(&buffer, 8000));
        ASSERT_EQ(device->play(), DS_OK);
        buffer.lost = true;
        if (foundByLock) {
            halvex::DeviceRegion regions[2];
            ASSERT_EQ(device->lock(7200, 1600, regions), DS_OK);
            EXPECT_EQ(regions[0].data, buffer.memory.data() + 7200);
            EXPECT_EQ(regions[0].bytes, 800u);
            EXPECT_EQ(regions[1].data, buffer.memory.data());
            EXPECT_EQ(regions[1].bytes, 800u);
            EXPECT_EQ(device->unlock(regions), DS_OK);
        } else {
            EXPECT_EQ(device->play(), DS_OK);
        }
        EXPECT_EQ(device->restores(), 1u) << foundByLock;
        EXPECT_TRUE(silent(buffer.memory)) << foundByLock;
        EXPECT_TRUE(buffer.playing) << foundByLock;
        EXPECT_EQ(buffer.plays, 2) << foundByLock;
        device->stop();
    }
}

TEST(DirectSoundLostBuffer, StillLostFailsTheTickAndIsTriedAgain)
{
    ScriptedBuffer buffer(8000);
    std::unique_ptr<halvex::DirectSoundDevice> device(halvex::DirectSoundDevice::adopt(&buffer, 8000));
    ASSERT_EQ(device->play(), DS_OK);
    buffer.lost = true;
    buffer.restoreFails = true;  // the other program still holds the device
    halvex::DeviceRegion regions[2];
    EXPECT_EQ(device->lock(0, 800, regions), DSERR_BUFFERLOST);
    EXPECT_EQ(device->restores(), 0u);
    buffer.restoreFails = false;
    EXPECT_EQ(device->lock(0, 800, regions), DS_OK);
    EXPECT_EQ(device->restores(), 1u);
    EXPECT_TRUE(buffer.playing);
}

// A stopped buffer that was lost comes back silent but stays stopped.
TEST(DirectSoundLostBuffer, AStoppedBufferIsNotStartedByTheRestore)
{
    ScriptedBuffer buffer(8000);
    std::unique_ptr<halvex::DirectSoundDevice> device(halvex::DirectSoundDevice::adopt(&buffer, 8000));
    buffer.lost = true;
    halvex::DeviceRegion regions[2];
    EXPECT_EQ(device->lock(0, 8000, regions), DS_OK);
    EXPECT_TRUE(silent(buffer.memory));
    EXPECT_FALSE(buffer.playing);
    EXPECT_EQ(buffer.plays, 0);
}

}  // namespace
