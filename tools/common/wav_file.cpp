#include "tools/common/wav_file.h"

#include <cerrno>
#include <cstring>

namespace bs {

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
    const int code = output_.open(path.c_str(), true, "part");
    if (code != 0) {
        *error = describeErrno("Can't write to destination file", path, code);
        return false;
    }
    file_ = output_.stream();
    // A device or a pipe is written into directly, once the header is known.
    streaming_ = output_.direct();
    if (streaming_)
        return true;
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
    int code = errno;
    if (output_.stream()) {
        const int closing = output_.commit();
        if (ok && closing != 0)
            code = closing;
        ok = ok && closing == 0;
    }
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
    errno = 0;
    const bool written = std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0 &&
                         std::fwrite(header, 1, BS_WAV_HEADER_SIZE, file_) == BS_WAV_HEADER_SIZE;
    const int code = written ? output_.commit() : (errno ? errno : EIO);
    file_ = nullptr;
    output_.discard();
    if (code != 0) {
        *error = describeErrno("Couldn't write to output file", path_, code);
        return false;
    }
    return true;
}

void WavWriter::discard()
{
    output_.discard();
    file_ = nullptr;
    streaming_ = false;
    streamStarted_ = false;
    streamBytes_ = 0;
}

}  // namespace bs
