#include "tools/bsrender/package_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bsrender {

bool loadPackage(const std::string& path, PackageImage* image, std::string* error)
{
    image->path = path;
    image->bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "Can't open file : " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    // Read in pieces rather than trusting a size from seeking: that also works for pipes and
    // stops early at the size limit.
    std::vector<uint8_t>& bytes = image->bytes;
    uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got > 0) {
            if (bytes.size() + got > kMaxPackageBytes) {
                *error = "Too large to be a package (more than 256 MiB) : " + path;
                ok = false;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        if (got < sizeof chunk) {
            if (std::ferror(file)) {
                *error = "Can't read file : " + path + " (" + std::strerror(errno) + ")";
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    if (!ok) {
        bytes.clear();
        return false;
    }
    if (bytes.empty()) {
        *error = "File is empty : " + path;
        return false;
    }
    bytes.shrink_to_fit();
    if (reinterpret_cast<uintptr_t>(bytes.data()) % 4 != 0) {
        *error = "Package image is not 4-byte aligned in memory : " + path;
        return false;
    }
    return true;
}

}  // namespace bsrender
