#include "tools/common/wav_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace bs {

namespace fs = std::filesystem;

namespace {

std::string describeErrno(const std::string& what, const std::string& path, int code = errno)
{
    return what + " : " + path + " (" + std::strerror(code) + ")";
}

}  // namespace

void appendLittleEndianSamples(std::vector<uint8_t>& out, const int16_t* values, size_t count)
{
    const size_t start = out.size();
    out.resize(start + count * 2);
    uint8_t* p = out.data() + start;
    for (size_t i = 0; i < count; ++i) {
        const auto v = static_cast<uint16_t>(values[i]);
        p[2 * i] = static_cast<uint8_t>(v);
        p[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
}

bool WavWriter::open(const std::string& path, std::string* error)
{
    discard();
    path_ = path;
    dataBytes_ = 0;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);  // follows links
    if (fs::is_directory(status)) {
        *error = describeErrno("Can't write to destination file", path, EISDIR);
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a pipe: written into directly, once the header is known.
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_) {
            *error = describeErrno("Can't write to destination file", path);
            return false;
        }
        ownsFile_ = true;
        streaming_ = true;
        return true;
    }
    // Replace what a link points to, not the link.
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        const fs::path target = fs::weakly_canonical(path, ec);
        if (!ec)
            path_ = target.string();
    }
    // A name of our own beside the destination, so the final rename stays on one file system;
    // "x" refuses to reuse a file that some other run is writing.
    std::random_device entropy;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        tempPath_ = path_ + ".part" + std::to_string(entropy() % 1000000u);
        file_ = std::fopen(tempPath_.c_str(), "wbx");
        if (!file_ && errno != EEXIST)
            break;
    }
    if (!file_) {
        *error = describeErrno("Can't write to destination file", path);
        tempPath_.clear();
        return false;
    }
    ownsFile_ = true;
    // The header is written for real by commit(); until then it holds zeros.
    const uint8_t zeros[BS_WAV_HEADER_SIZE] = {};
    if (std::fwrite(zeros, 1, BS_WAV_HEADER_SIZE, file_) != BS_WAV_HEADER_SIZE) {
        *error = describeErrno("Couldn't write to output file", path);
        discard();
        return false;
    }
    return true;
}

void WavWriter::openStream(std::FILE* stream, const std::string& name)
{
    discard();
    file_ = stream;
    ownsFile_ = false;
    streaming_ = true;
    path_ = name;
    dataBytes_ = 0;
}

bool WavWriter::startStream(uint32_t dataBytes, std::string* error)
{
    if (!file_ || !streaming_ || streamStarted_) {
        *error = "Output is not a stream waiting for its header : " + path_;
        return false;
    }
    if (dataBytes > kWavMaxDataBytes) {
        *error = "Audio too long for a WAV file (4 GiB at most) : " + path_;
        return false;
    }
    uint8_t header[BS_WAV_HEADER_SIZE];
    bs_makeWavHeader(dataBytes, header);
    if (std::fwrite(header, 1, BS_WAV_HEADER_SIZE, file_) != BS_WAV_HEADER_SIZE) {
        *error = describeErrno("Couldn't write to output file", path_);
        return false;
    }
    streamStarted_ = true;
    streamBytes_ = dataBytes;
    return true;
}

bool WavWriter::append(const int16_t* values, size_t count, std::string* error)
{
    if (!file_) {
        *error = "Output file is not open : " + path_;
        return false;
    }
    if (streaming_ && !streamStarted_) {
        *error = "The length of the audio was not given before writing to : " + path_;
        return false;
    }
    const uint32_t limit = streaming_ ? streamBytes_ : kWavMaxDataBytes;
    if (count * 2 > limit - dataBytes_) {
        *error = streaming_ ? "More audio than the header gives : " + path_
                            : "Audio too long for a WAV file (4 GiB at most) : " + path_;
        return false;
    }
    buffer_.clear();
    appendLittleEndianSamples(buffer_, values, count);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        *error = describeErrno("Couldn't write to output file", path_);
        return false;
    }
    dataBytes_ += static_cast<uint32_t>(buffer_.size());
    return true;
}

bool WavWriter::commitStream(std::string* error)
{
    bool ok = std::fflush(file_) == 0;
    const int code = errno;
    if (ownsFile_)
        ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) {
        *error = describeErrno("Couldn't write to output file", path_, code);
        return false;
    }
    if (!streamStarted_ || dataBytes_ != streamBytes_) {
        *error = "The audio is shorter than the header gives : " + path_;
        return false;
    }
    return true;
}

bool WavWriter::commit(std::string* error)
{
    if (!file_) {
        *error = "Output file is not open : " + path_;
        return false;
    }
    if (streaming_)
        return commitStream(error);
    uint8_t header[BS_WAV_HEADER_SIZE];
    bs_makeWavHeader(dataBytes_, header);
    bool ok = std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header, 1, BS_WAV_HEADER_SIZE, file_) == BS_WAV_HEADER_SIZE;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) {
        *error = describeErrno("Couldn't write to output file", path_);
        std::remove(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    // A file being replaced keeps its permissions.
    std::error_code ec;
    const fs::file_status old = fs::status(path_, ec);
    if (!ec && fs::is_regular_file(old))
        fs::permissions(tempPath_, old.permissions(), ec);
#if defined(_WIN32)
    std::remove(path_.c_str());  // rename does not replace an existing file there
#endif
    if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        *error = describeErrno("Couldn't write to output file", path_);
        std::remove(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    return true;
}

void WavWriter::discard()
{
    if (file_ && ownsFile_)
        std::fclose(file_);
    file_ = nullptr;
    ownsFile_ = false;
    streaming_ = false;
    streamStarted_ = false;
    streamBytes_ = 0;
    if (!tempPath_.empty()) {
        std::remove(tempPath_.c_str());
        tempPath_.clear();
    }
}

}  // namespace bs
