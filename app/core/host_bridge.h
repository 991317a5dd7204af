// HostBridge: the application's side of the host library.  It owns the four
// package images and the host's lifetime, and is the only object that calls
// the host's state-changing functions (all of them hx_ functions).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/resources.h"
#include "host/host.h"

namespace veskar {

// Result codes of HostBridge operations: Windows status values, negative on
// failure.
inline constexpr HXRESULT kOk = HX_S_OK;
inline constexpr HXRESULT kFail = HX_E_FAIL;
inline constexpr HXRESULT kOutOfMemory = HX_E_OUTOFMEMORY;
inline constexpr HXRESULT kAccessDenied = static_cast<HXRESULT>(0x80070005u);
inline constexpr HXRESULT kUnexpected = static_cast<HXRESULT>(0x8000FFFFu);

// A whole package file in one heap block, at an address that is a multiple
// of 4 as the engine wants.
class PackageBuffer {
public:
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.get()); }
    uint32_t size() const { return size_; }
    bool empty() const { return words_ == nullptr; }
    void reset()
    {
        words_.reset();
        size_ = 0;
    }

private:
    friend class HostBridge;
    std::unique_ptr<uint32_t[]> words_;
    uint32_t size_ = 0;
};

// How a load ended.  Unreadable and Invalid leave the package unloaded.
struct LoadResult {
    enum class Outcome {
        Loaded,
        Unreadable,
        Invalid
    };
    Outcome outcome = Outcome::Unreadable;
    HXRESULT status = kAccessDenied;    // of readPackageFile
    std::string error;                  // Invalid: what the package checks found
    std::vector<std::string> warnings;  // Loaded: what will not play as meant
};

// The engine's dimensions, as hx_getInfo gives them.
struct EngineInfo {
    uint32_t channels = 0;         // macro channels n
    uint32_t renderRate = 0;       // Hz
    uint32_t decodeRate = 0;       // ticks per second
    uint32_t librarySize = 0;      // sample library entries
    uint32_t maxSampleLength = 0;  // samples per entry
};

// The host's state for the views, copied consistently between two blocks.
struct HostSnapshot {
    Voice voices[BS_CHANNELS];
    MacroChannel channels[BS_CHANNELS];
    uint32_t blocksRendered = 0;
    int16_t ring[HX_RING_VALUES];
};

class HostBridge {
public:
    // How the host is started: hx_initSized, or in tests the same on a
    // scripted platform.
    using StartFunction = HXRESULT (*)(void* window, const uint8_t* samplePack, uint32_t samplePackSize,
                                       const uint8_t* instrumentPack, uint32_t instrumentPackSize);

    // `window` is handed to the host's start (the main window on Windows).
    explicit HostBridge(void* window, StartFunction start = hx_initSized);
    ~HostBridge();
    HostBridge(const HostBridge&) = delete;
    HostBridge& operator=(const HostBridge&) = delete;

    // Starts the host on the two packs: not running and both loaded, else kFail.
    HXRESULT startHost();

    // Reads the whole file at `path`: kOk, kAccessDenied (cannot be opened or
    // sized, or larger than the tools' 64 MiB), kOutOfMemory or kUnexpected
    // (a short read).  On failure *image is empty.
    static HXRESULT readPackageFile(const std::string& path, PackageBuffer* image);

    // Replace a package.  Each first ends the host's use of the old image and
    // frees it, then reads the file and runs the shared package checks: an
    // invalid package is not loaded.  Instruments and effects are checked
    // against the sample pack, music against the instrument pack, when that
    // is loaded; without it only errors count.
    LoadResult loadSamples(const std::string& path);
    LoadResult loadInstruments(const std::string& path);
    LoadResult loadMusic(const std::string& path);
    LoadResult loadSfx(const std::string& path);
    LoadResult load(Package package, const std::string& path);

    // WAV logging: running and not logging / running and logging, else kFail.
    HXRESULT logOutput(const std::string& path);
    HXRESULT closeLog();

    // Playback forwards, each guarded; levels and priorities go to the host
    // as signed 8-bit values.
    void pause();
    void resume();
    void stopAll();
    void playMusic();
    void stopMusic();
    void attenMusic(int level);
    void playSfx(int priority, int left, int right);
    void stopSfx();

    // Stops and closes the host, then frees every image.  Also run by the
    // destructor.
    void shutdown();

    bool running() const { return running_; }
    bool logging() const { return logging_; }
    // A package is loaded exactly when its image holds a file read in full.
    bool loaded(Package package) const { return !image(package).empty(); }
    bool samplesLoaded() const { return loaded(Package::Samples); }
    bool instrumentsLoaded() const { return loaded(Package::Instruments); }
    bool musicLoaded() const { return loaded(Package::Music); }
    bool effectLoaded() const { return loaded(Package::Effect); }
    int lastEffectPriority() const { return lastEffectPriority_; }
    // The image of a package (empty when not loaded).
    const PackageBuffer& image(Package package) const { return images_[static_cast<size_t>(package)]; }

    // Whether music plays, as of the last rendered block.
    bool musicPlaying() const;
    // The engine's dimensions; false when the host and engine libraries do
    // not match (the application then shows string 4 and exits).
    static bool readEngineInfo(EngineInfo* info);
    // The engine's tables, the block count and the ring (hx_copyState).
    static void copyState(HostSnapshot* snapshot);

private:
    PackageBuffer& imageOf(Package package) { return images_[static_cast<size_t>(package)]; }
    // Frees the package's image, then reads and checks the file into it.
    LoadResult replace(Package package, const std::string& path);
    void closeHost();

    void* window_;
    bool running_ = false;
    bool logging_ = false;
    std::array<PackageBuffer, kPackageKinds> images_;  // by Package
    int lastEffectPriority_ = 0;
    StartFunction start_;
};

}  // namespace veskar
