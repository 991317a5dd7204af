#include "package_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "formats/packages.h"

namespace bsplay {

namespace {

constexpr uint32_t kMaxPackageBytes = 64u << 20;

struct KindInfo {
    const char* name;
    const char* magic;
    uint32_t entrySize;
    const char* entries;
};

KindInfo info(PackageKind kind)
{
    switch (kind) {
    case PackageKind::Samples:
        return {"sample pack", BS_MAGIC_SAMPLES, BS_SAMPLE_ENTRY_SIZE, "samples"};
    case PackageKind::Instruments:
        return {"instrument pack", BS_MAGIC_INSTRUMENTS, BS_INSTRUMENT_ENTRY_SIZE, "instruments"};
    case PackageKind::Effect:
        return {"sound effect", BS_MAGIC_EFFECT, BS_EFFECT_ENTRY_SIZE, "channels"};
    case PackageKind::Music:
        break;
    }
    return {"music track", BS_MAGIC_MUSIC, BS_TRACK_ENTRY_SIZE, "tracks"};
}

// The first four bytes as text, with anything unprintable escaped.
std::string shownMagic(const uint8_t* bytes)
{
    std::string out;
    for (int i = 0; i < 4; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '"' && bytes[i] != '\\') {
            out += static_cast<char>(bytes[i]);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
            out += escaped;
        }
    }
    return out;
}

} // namespace

bool checkPackage(const uint8_t* bytes, size_t size, PackageKind kind, const std::string& name,
                  std::string* error)
{
    KindInfo kindInfo = info(kind);
    if (size > kMaxPackageBytes) {
        *error = name + " is too large for a " + kindInfo.name + " (over 64 MiB)";
        return false;
    }
    if (size < BS_HEADER_SIZE) {
        *error = name + " is too short to be a " + kindInfo.name + " (" + std::to_string(size) +
                 " bytes)";
        return false;
    }
    if (std::memcmp(bytes, kindInfo.magic, BS_MAGIC_SIZE) != 0) {
        *error = name + " is not a " + kindInfo.name + ": it begins with \"" + shownMagic(bytes) +
                 "\", not \"" + kindInfo.magic + "\"";
        return false;
    }
    uint64_t count = bs_readU32(bytes + BS_HEADER_COUNT_OFFSET);
    if (kind == PackageKind::Samples && count > BS_LIBRARY_SIZE) {
        *error = name + " holds " + std::to_string(count) + " samples; at most 256 can be played";
        return false;
    }
    if (kind == PackageKind::Effect && count == 0) {
        *error = name + " is a sound effect without channels";
        return false;
    }
    uint64_t needed = BS_HEADER_SIZE + count * kindInfo.entrySize;
    if (needed > size) {
        *error = name + " is cut short: its " + std::to_string(count) + " " + kindInfo.entries +
                 " need " + std::to_string(needed) + " bytes of entries, the file has " +
                 std::to_string(size);
        return false;
    }
    return true;
}

bool loadPackage(const std::string& path, PackageKind kind, Package* package, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kMaxPackageBytes)
            break; // enough to tell it is too large
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        *error = "cannot read " + path;
        return false;
    }
    if (!checkPackage(bytes.data(), bytes.size(), kind, path, error))
        return false;
    package->words_.assign((bytes.size() + 3) / 4, 0);
    std::memcpy(package->words_.data(), bytes.data(), bytes.size());
    package->size_ = static_cast<uint32_t>(bytes.size());
    package->path_ = path;
    return true;
}

bool parsePriorities(const std::string& text, const std::string& name,
                     std::map<std::string, int>* priorities, std::string* error)
{
    size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        // "#define BPRI_<label>", blanks, a signed decimal priority.
        static const std::string kPrefix = "#define BPRI_";
        size_t at = line.find_first_not_of(" \t");
        bool ok = line.compare(at, kPrefix.size(), kPrefix) == 0;
        size_t labelStart = at + kPrefix.size();
        size_t labelEnd = ok ? line.find_first_of(" \t", labelStart) : std::string::npos;
        ok = ok && labelEnd != std::string::npos && labelEnd > labelStart;
        long priority = 0;
        if (ok) {
            std::string rest = line.substr(labelEnd);
            char* after = nullptr;
            errno = 0;
            priority = std::strtol(rest.c_str(), &after, 10);
            ok = after != rest.c_str() && errno == 0 &&
                 std::string(after).find_first_not_of(" \t\r") == std::string::npos;
        }
        if (!ok) {
            *error = name + ":" + std::to_string(number) +
                     ": not a priority definition (#define BPRI_label priority)";
            return false;
        }
        (*priorities)[line.substr(labelStart, labelEnd - labelStart)] =
            priority < -1000 || priority > 1000 ? 0 : static_cast<int>(priority);
    }
    return true;
}

bool loadPriorities(const std::string& path, std::map<std::string, int>* priorities,
                    std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && text.size() < (1u << 20))
        text.append(chunk, got);
    std::fclose(file);
    return parsePriorities(text, path, priorities, error);
}

std::string effectLabel(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".sfx") == 0)
        name.erase(name.size() - 4);
    return name;
}

} // namespace bsplay
