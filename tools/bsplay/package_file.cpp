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

bool loadPackage(const std::string& path, PackageKind kind, Package* package, std::string* error)
{
    KindInfo kindInfo = info(kind);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    bool tooLarge = false;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kMaxPackageBytes) {
            tooLarge = true;
            break;
        }
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) {
        *error = "cannot read " + path;
        return false;
    }
    if (tooLarge) {
        *error = path + " is too large for a " + kindInfo.name + " (over 64 MiB)";
        return false;
    }
    if (bytes.size() < BS_HEADER_SIZE) {
        *error = path + " is too short to be a " + kindInfo.name + " (" +
                 std::to_string(bytes.size()) + " bytes)";
        return false;
    }
    if (std::memcmp(bytes.data(), kindInfo.magic, BS_MAGIC_SIZE) != 0) {
        *error = path + " is not a " + kindInfo.name + ": it begins with \"" +
                 shownMagic(bytes.data()) + "\", not \"" + kindInfo.magic + "\"";
        return false;
    }
    uint64_t count = bs_readU32(bytes.data() + BS_HEADER_COUNT_OFFSET);
    if (kind == PackageKind::Samples && count > BS_LIBRARY_SIZE) {
        *error = path + " holds " + std::to_string(count) + " samples; at most 256 can be played";
        return false;
    }
    if (kind == PackageKind::Effect && count == 0) {
        *error = path + " is a sound effect without channels";
        return false;
    }
    uint64_t needed = BS_HEADER_SIZE + count * kindInfo.entrySize;
    if (needed > bytes.size()) {
        *error = path + " is cut short: its " + std::to_string(count) + " " + kindInfo.entries +
                 " need " + std::to_string(needed) + " bytes of entries, the file has " +
                 std::to_string(bytes.size());
        return false;
    }
    package->words_.assign((bytes.size() + 3) / 4, 0);
    std::memcpy(package->words_.data(), bytes.data(), bytes.size());
    package->size_ = static_cast<uint32_t>(bytes.size());
    package->path_ = path;
    return true;
}

bool loadPriorities(const std::string& path, std::map<std::string, int>* priorities,
                    std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char line[1024];
    int number = 0;
    bool ok = true;
    while (std::fgets(line, sizeof line, file)) {
        ++number;
        char label[512];
        long priority = 0;
        if (std::sscanf(line, " #define BPRI_%511s %ld", label, &priority) == 2) {
            (*priorities)[label] = static_cast<int>(priority);
        } else if (std::strspn(line, " \t\r\n") != std::strlen(line)) {
            *error = path + ":" + std::to_string(number) +
                     ": not a priority definition (#define BPRI_label priority)";
            ok = false;
            break;
        }
    }
    std::fclose(file);
    return ok;
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
