// WAV files of the engine's output format: a canonical 44-byte RIFF/WAVE header (PCM, 2
// channels, 48000 Hz, 16 bits) followed by interleaved little-endian samples, left first.
// This is the layout the host's output log uses too, so makeWavHeader is the one place that
// knows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bs {

inline constexpr uint32_t kWavHeaderSize = 44;
inline constexpr uint32_t kWavSampleRate = 48000;
inline constexpr uint32_t kWavChannels = 2;
inline constexpr uint32_t kWavBytesPerFrame = 4;
// The largest data chunk whose RIFF size (data + 36) still fits the 32-bit header field.
inline constexpr uint32_t kWavMaxDataBytes = 0xFFFFFFFFu - 36u - 3u;

// Fills `header` with the 44 bytes that describe `dataBytes` bytes of audio.
void makeWavHeader(uint32_t dataBytes, uint8_t header[kWavHeaderSize]);

// Appends interleaved 16-bit samples to `out` in little-endian order, whatever the host's.
void appendLittleEndianSamples(std::vector<uint8_t>& out, const int16_t* values, size_t count);

// Writes a WAV file safely: the audio goes to a temporary file beside the destination, and
// only commit() puts it in place. A file already at the destination is untouched until then,
// and a run that fails (or is abandoned) leaves no half-written file behind.
class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter() { discard(); }

    // Starts the file; false with `error` set when the temporary file cannot be created.
    bool open(const std::string& path, std::string* error);
    // Appends `count` int16 values (count / 2 stereo frames).
    bool append(const int16_t* values, size_t count, std::string* error);
    // Writes the header, closes the file and renames it over the destination.
    bool commit(std::string* error);
    // Closes and removes the temporary file, if any.
    void discard();

    uint32_t dataBytes() const { return dataBytes_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string tempPath_;
    uint32_t dataBytes_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace bs
