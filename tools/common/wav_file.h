// WAV files of the engine's output format (formats/wav.h): the 44-byte header, then interleaved
// little-endian samples, left first, written so that no half-written file is ever left behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/safe_output.h"
#include "formats/wav.h"

namespace bs {

// The largest data chunk whose RIFF size (data + 36) still fits the 32-bit header field.
inline constexpr uint32_t kWavMaxDataBytes = 0xFFFFFFFFu - 36u - 3u;

// Appends interleaved 16-bit samples to `out` in little-endian order, whatever the host's.
void appendLittleEndianSamples(std::vector<uint8_t>& out, const int16_t* values, size_t count);

// Writes a WAV file safely (files/safe_output.h). A regular file (or one that does not exist yet)
// is written to a temporary file beside it, and only commit() puts it in place: a file already
// there is untouched until then, a run that fails (or is abandoned) leaves no half-written file,
// and a symbolic link keeps pointing where it did, to the new contents. Anything else, a pipe, a terminal, a device
// such as /dev/null or standard output, cannot be replaced or rewound for the header: the caller
// states the audio's length with startStream() before the first append, and the audio goes
// straight through, so memory stays small whatever the length.
class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter() { discard(); }

    // Starts the file; false with `error` set when it cannot be written.
    bool open(const std::string& path, std::string* error);
    // Starts writing to an open stream, such as stdout (named `name` in messages).
    void openStream(std::FILE* stream, const std::string& name);
    // True when the output cannot be rewound: startStream() must come before append().
    bool streaming() const { return streaming_; }
    // Writes the header of a stream, for audio of exactly `dataBytes` bytes.
    bool startStream(uint32_t dataBytes, std::string* error);
    // Appends `count` int16 values (count / 2 stereo frames).
    bool append(const int16_t* values, size_t count, std::string* error);
    // Writes the header and finishes the file.
    bool commit(std::string* error);
    // Drops what was written; a temporary file is closed and removed.
    void discard();

    uint32_t dataBytes() const { return dataBytes_; }

private:
    bool commitStream(std::string* error);

    SafeOutputFile output_;      // a file of our own (empty for openStream)
    std::FILE* file_ = nullptr;  // where the bytes go
    bool streaming_ = false;     // written straight through, header first
    bool streamStarted_ = false;
    uint32_t streamBytes_ = 0;  // the length the stream's header gives
    std::string path_;          // the output's name in messages
    uint32_t dataBytes_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace bs
