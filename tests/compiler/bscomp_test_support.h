// Support for the compiler tests: capturing messages of in-process calls, temporary folders,
// and running the real bscomp binary.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/messages.h"

namespace bscomp_test {

// Collects what printMessage writes to standard output and standard error while it lives.
class MessageCapture {
public:
    MessageCapture()
    {
        out_ = open_memstream(&outText_, &outLength_);
        err_ = open_memstream(&errText_, &errLength_);
        setMessageStreams(out_, err_);
        clearErrorReported();
    }
    ~MessageCapture()
    {
        setMessageStreams(nullptr, nullptr);
        fclose(out_);
        fclose(err_);
        free(outText_);
        free(errText_);
        clearErrorReported();
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::string out()
    {
        fflush(out_);
        return std::string(outText_, outLength_);
    }
    std::string err()
    {
        fflush(err_);
        return std::string(errText_, errLength_);
    }

private:
    FILE* out_ = nullptr;
    FILE* err_ = nullptr;
    char* outText_ = nullptr;
    char* errText_ = nullptr;
    size_t outLength_ = 0;
    size_t errLength_ = 0;
};

// A source file holding `text` (an anonymous temporary file, so it outlives the string).
inline FILE* memorySource(const std::string& text)
{
    FILE* file = tmpfile();
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
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/bscomp-test-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data())) path_ = buffer.data();
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
    bool writeSparse(const std::string& name, off_t size) const
    {
        int fd = open((*this / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        bool ok = ftruncate(fd, size) == 0;
        close(fd);
        return ok;
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
    bool exists(const std::string& name) const
    {
        struct stat info;
        return lstat((*this / name).c_str(), &info) == 0;
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

struct RunResult {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

inline std::string readAll(FILE* file)
{
    std::string text;
    rewind(file);
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    return text;
}

// Runs bscomp with `arguments` (without the program name) in `folder`. With `oneStream`, standard
// output and standard error go to the same file, as in a build log, and `out` holds both.
inline RunResult runBscomp(const std::string& folder, const std::vector<std::string>& arguments,
                           bool oneStream = false)
{
    RunResult result;
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    if (!out || !err) {
        if (out) fclose(out);
        if (err) fclose(err);
        return result;
    }
    std::vector<std::string> words{"bscomp"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(oneStream ? out : err), STDERR_FILENO);
        int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0) dup2(nothing, STDIN_FILENO);
        if (chdir(folder.c_str()) != 0) _exit(127);
        execv(BSCOMP_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child) {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    result.out = readAll(out);
    result.err = readAll(err);
    fclose(out);
    fclose(err);
    return result;
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
