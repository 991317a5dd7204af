// Reading package files for bsplay: the whole file into memory at an address
// the engine accepts, with the header checks that give a clear message before
// the engine sees the image.
#ifndef BSPLAY_PACKAGE_FILE_H
#define BSPLAY_PACKAGE_FILE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bsplay {

enum class PackageKind { Samples, Instruments, Effect, Music };

class Package {
public:
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
    uint32_t size() const { return size_; }
    const std::string& path() const { return path_; }

private:
    friend bool loadPackage(const std::string&, PackageKind, Package*, std::string*);
    std::vector<uint32_t> words_; // keeps the image 4-byte aligned
    uint32_t size_ = 0;
    std::string path_;
};

// Reads and checks one package; on failure `error` says why.
bool loadPackage(const std::string& path, PackageKind kind, Package* package, std::string* error);
// The checks alone, on an image in memory; `name` stands for it in messages.
bool checkPackage(const uint8_t* bytes, size_t size, PackageKind kind, const std::string& name,
                  std::string* error);

// Reads the "#define BPRI_<label> <priority>" lines of a priority header.
bool loadPriorities(const std::string& path, std::map<std::string, int>* priorities,
                    std::string* error);
// The same on the header's text.
bool parsePriorities(const std::string& text, const std::string& name,
                     std::map<std::string, int>* priorities, std::string* error);

// The label of an effect file: its name without directory and ".sfx".
std::string effectLabel(const std::string& path);

} // namespace bsplay

#endif
