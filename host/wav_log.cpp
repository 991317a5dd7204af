// The WAV log: every block the tick renders, appended in rendering order,
// with the RIFF header written when the log is closed.
#include <cstdio>
#include <filesystem>

#include "formats/wav.h"
#include "host/host.h"
#include "host/host_state.h"

using namespace halvex;

namespace {

constexpr uint32_t kHeaderBytes = BS_WAV_HEADER_SIZE;

// The log holds exactly what the device is given, so the WAV header's format
// must be the device's.
static_assert(kOutputFormat.frameRate == BS_WAV_SAMPLE_RATE);
static_assert(kOutputFormat.channels == BS_WAV_CHANNELS);
static_assert(kOutputFormat.bitsPerSample == BS_WAV_BITS_PER_SAMPLE);

void writeHeader(std::FILE* file, uint32_t logBytes)
{
    uint8_t header[kHeaderBytes];
    bs_makeWavHeader(logBytes - kHeaderBytes, header);
    std::fwrite(header, 1, kHeaderBytes, file);
}

// A pipe or socket cannot hold a WAV whose header is written last, and
// opening a pipe that nobody reads would wait forever with engineMutex held,
// stalling the timer: such a path is refused before it is opened.
bool canHoldAWave(const char* path)
{
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    return error || !(std::filesystem::is_fifo(status) || std::filesystem::is_socket(status));
}

} // namespace

namespace halvex {

void appendToLog(HostState& host, const int16_t* block)
{
    if (!host.logging || host.logFile == nullptr || host.logBytes >= HX_LOG_LIMIT)
        return;
    // A short write is not an error here: counting only what was written
    // keeps the header true to the data.
    host.logBytes += static_cast<uint32_t>(std::fwrite(block, 1, kBlockBytes, host.logFile));
}

} // namespace halvex

extern "C" {

HX_API int32_t hx_logOutput(const char* path)
{
    HostState& host = hostState();
    if (!host.running || path == nullptr)
        return -1;
    Mutex* engineMutex = host.engineMutex;
    if (engineMutex == nullptr || !engineMutex->lock())
        return -1;
    int32_t result = -1;
    if (!host.logging && host.logFile == nullptr && canHoldAWave(path)) {
        std::FILE* file = std::fopen(path, "wb");
        // Unbuffered, so that a short write shows at once and logBytes
        // counts only what reached the file.  The header goes in at the
        // start when the log closes, so the file must let us go back there
        // (a terminal does not).
        if (file != nullptr &&
            (std::setvbuf(file, nullptr, _IONBF, 0) != 0 || std::fseek(file, 0, SEEK_SET) != 0)) {
            std::fclose(file);
            file = nullptr;
        }
        if (file != nullptr) {
            // Room for the header, which only hx_closeLog can fill in.
            static const uint8_t zeros[kHeaderBytes] = {};
            if (std::fwrite(zeros, 1, kHeaderBytes, file) == kHeaderBytes) {
                host.logFile = file;
                host.logging = -1;
                host.logBytes = kHeaderBytes;
                result = 0;
            } else {
                std::fclose(file);
            }
        }
    }
    engineMutex->unlock();
    return result;
}

HX_API void hx_closeLog(void)
{
    HostState& host = hostState();
    Mutex* engineMutex = host.engineMutex;
    if (engineMutex == nullptr || !engineMutex->lock())
        return;
    if (host.logging && host.logFile != nullptr) {
        std::fflush(host.logFile);
        std::fseek(host.logFile, 0, SEEK_SET);
        writeHeader(host.logFile, host.logBytes);
        std::fflush(host.logFile);
        std::fclose(host.logFile);
        host.logging = 0;
        host.logFile = nullptr;
    }
    engineMutex->unlock();
}

} // extern "C"
