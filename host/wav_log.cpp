// The WAV log: every block the tick renders, appended in rendering order,
// with the RIFF header written when the log is closed.  A write that fails or
// falls short ends the log at the last whole block.
#include <cerrno>
#include <cstdio>
#include <new>

#include "files/file_identity.h"
#include "files/file_kind.h"
#include "files/open_file.h"
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

bool writeHeader(std::FILE* file, uint32_t logBytes)
{
    uint8_t header[kHeaderBytes];
    bs_makeWavHeader(logBytes - kHeaderBytes, header);
    return std::fwrite(header, 1, kHeaderBytes, file) == kHeaderBytes;
}

// A pipe or socket cannot hold a WAV whose header is written last, and
// opening a pipe that nobody reads would wait forever with engineMutex held,
// stalling the timer: such a path is refused before it is opened.
bool canHoldAWave(const char* path)
{
    return fileKind(path, true) != FileKind::pipe;
}

// The error of the call that just failed; a failure that set none still
// counts as an I/O error.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

// Whether `path` still names the regular file that `file` has open: never a
// device, and never a file reached through a link.  Asked before the file
// is closed, and removed after (an open file cannot be removed everywhere).
bool isOurs(std::FILE* file, const char* path)
{
    return fileKind(path, false) == FileKind::regular && isOpenFile(path, file);
}

int32_t failToStart(HostState& host, int error)
{
    host.logStop = HX_LOG_WRITE_FAILED;
    host.logError = error;
    return -1;
}

// Creates the file and writes room for the header, which only hx_closeLog
// can fill in.
int32_t startLog(HostState& host, const char* path)
{
    host.logStop = HX_LOG_COMPLETE;
    host.logError = 0;
    host.logBlocks = 0;
    host.logBytes = 0;
    try {
        host.logPath = path;
        if (!canHoldAWave(path))
            return failToStart(host, ESPIPE);
    } catch (const std::bad_alloc&) {
        host.logPath.clear();
        return failToStart(host, ENOMEM);
    }
    errno = 0;
    std::FILE* file = openFile(path, "wb");
    if (file == nullptr)
        return failToStart(host, lastError());
    // Unbuffered, so that a short write shows at once and logBytes counts
    // only what reached the file.  The header goes in at the start when the
    // log closes, so the file must let us go back there (a terminal does not).
    static const uint8_t zeros[kHeaderBytes] = {};
    if (std::setvbuf(file, nullptr, _IONBF, 0) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fwrite(zeros, 1, kHeaderBytes, file) != kHeaderBytes) {
        int error = lastError();
        // Not even the header fits (a full disk): no empty file is left behind.
        bool ours = isOurs(file, path);
        std::fclose(file);
        if (ours)
            removeFile(path);
        return failToStart(host, error);
    }
    host.logFile = file;
    host.logging = -1;
    host.logBytes = kHeaderBytes;
    return 0;
}

// Writes the header and closes the file; a log that a failure stopped before
// it held any audio is removed instead, as one that could not start is.
void finishLog(HostState& host)
{
    std::FILE* file = host.logFile;
    const bool empty = host.logStop == HX_LOG_WRITE_FAILED && host.logBytes == kHeaderBytes &&
                       isOurs(file, host.logPath.c_str());
    errno = 0;
    bool written = std::fflush(file) == 0 && std::fseek(file, 0, SEEK_SET) == 0 &&
                   writeHeader(file, host.logBytes) && std::fflush(file) == 0;
    if (std::fclose(file) != 0)
        written = false;
    if (empty && removeFile(host.logPath.c_str())) {
        host.logBytes = 0;
        return;
    }
    if (!written) {
        host.logStop = HX_LOG_HEADER_FAILED;
        host.logError = lastError();
    }
}

}  // namespace

namespace halvex {

void appendToLog(HostState& host, const int16_t* block)
{
    if (!host.logging || host.logFile == nullptr)
        return;
    ++host.logBlocks;
    if (host.logStop != HX_LOG_COMPLETE)
        return;
    if (host.logBytes >= HX_LOG_LIMIT) {
        host.logStop = HX_LOG_CAPPED;
        return;
    }
    errno = 0;
    size_t written = std::fwrite(block, 1, kBlockBytes, host.logFile);
    if (written == kBlockBytes) {
        host.logBytes += kBlockBytes;
        return;
    }
    // A full disk, or a file size limit: the log ends with the last whole
    // block, since one partial block would leave every later one with its
    // channels swapped.  It grows no more.
    host.logStop = HX_LOG_WRITE_FAILED;
    host.logError = lastError();
    if (written > 0 && !truncateFile(host.logFile, host.logBytes))
        host.logBytes += static_cast<uint32_t>(written);  // the header must still tell the truth
}

}  // namespace halvex

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
    if (!host.logging && host.logFile == nullptr)
        result = startLog(host, path);
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
        finishLog(host);
        host.logging = 0;
        host.logFile = nullptr;
    }
    engineMutex->unlock();
}

HX_API int32_t hx_getLogState(int32_t* open, uint32_t* fileBytes, uint32_t* blocks,
                              int32_t* error)
{
    HostState& host = hostState();
    // While the host runs the tick appends under engineMutex; when it is
    // closed nothing appends.
    Mutex* engineMutex = host.engineMutex;
    bool held = engineMutex != nullptr && engineMutex->lock();
    if (open)
        *open = host.logging && host.logFile != nullptr ? -1 : 0;
    if (fileBytes)
        *fileBytes = host.logBytes;
    if (blocks)
        *blocks = host.logBlocks;
    if (error)
        *error = host.logError;
    int32_t stop = host.logStop;
    if (held)
        engineMutex->unlock();
    return stop;
}

}  // extern "C"
