// Support for the compiler tests: capturing messages of in-process calls, temporary folders,
// and running the real bscomp binary.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "compiler/messages.h"
#include "test_programs.h"

namespace bscomp_test {

// Collects what printMessage writes to standard output and standard error while it lives.
class MessageCapture {
public:
    MessageCapture()
    {
        out_ = test_programs::scratchStream();
        err_ = test_programs::scratchStream();
        setMessageStreams(out_, err_);
        clearErrorReported();
    }
    ~MessageCapture()
    {
        setMessageStreams(nullptr, nullptr);
        if (out_) fclose(out_);
        if (err_) fclose(err_);
        clearErrorReported();
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::string out() { return out_ ? test_programs::streamText(out_) : std::string(); }
    std::string err() { return err_ ? test_programs::streamText(err_) : std::string(); }

private:
    FILE* out_ = nullptr;
    FILE* err_ = nullptr;
};

// A source file holding `text` (an anonymous temporary file, so it outlives the string).
inline FILE* memorySource(const std::string& text)
{
    FILE* file = test_programs::scratchStream();
    if (!file) return nullptr;
    fwrite(text.data(), 1, text.size(), file);
    rewind(file);
    return file;
}

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir()
    {
        std::error_code ignored;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ignored);
        std::random_device entropy;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path folder = base / ("bscomp-test-" + std::to_string(entropy()));
            if (std::filesystem::create_directory(folder, ignored)) path_ = folder.string();
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!path_.empty()) {
            // Folders made unreadable by a test must be readable again to be removed.
            std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const
    {
        FILE* file = fopen((*this / name).c_str(), "wb");
        if (!file) return;
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    // A file of `size` bytes that occupies no disk space (reads as zeros).
    bool writeSparse(const std::string& name, std::uintmax_t size) const
    {
        write(name, "");
        std::error_code error;
        std::filesystem::resize_file(*this / name, size, error);
        return !error;
    }
    std::string read(const std::string& name) const
    {
        std::string bytes;
        FILE* file = fopen((*this / name).c_str(), "rb");
        if (!file) return bytes;
        char chunk[65536];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
        fclose(file);
        return bytes;
    }
    // A text file as written on this system: CR LF line ends, those of Windows, read as LF.
    std::string readText(const std::string& name) const
    {
        return test_programs::textOf(read(name));
    }
    bool exists(const std::string& name) const
    {
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(*this / name, ignored));
    }
    // Names of everything in the folder, sorted.
    std::vector<std::string> list() const
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

using RunResult = test_programs::ProgramRun;

// Runs bscomp with `arguments` (without the program name) in `folder`. With `oneStream`, standard
// output and standard error go to the same file, as in a build log, and `out` holds both.
inline RunResult runBscomp(const std::string& folder, const std::vector<std::string>& arguments,
                           bool oneStream = false)
{
    return test_programs::runProgram(test_programs::builtProgram(BSCOMP_PATH), arguments, folder, oneStream);
}

// Little-endian helpers for checking package bytes.
inline uint32_t u32At(const std::string& bytes, size_t offset)
{
    if (offset + 4 > bytes.size()) return 0xDEADBEEF;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline std::string u32Bytes(uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

}  // namespace bscomp_test
