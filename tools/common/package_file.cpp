#include "tools/common/package_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "files/open_file.h"

namespace bs {

PackageImage::PackageImage(std::string path, const uint8_t* bytes, size_t size)
    : words_((size + 3) / 4, 0), size_(static_cast<uint32_t>(size)), path_(std::move(path))
{
    if (size > 0)
        std::memcpy(words_.data(), bytes, size);
}

bool loadPackage(const std::string& path, PackageImage* image, std::string* error)
{
    *image = PackageImage();
    image->path_ = path;
    std::FILE* file = openFile(path.c_str(), "rb");
    if (!file) {
        *error = "Can't open file : " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    // Read in pieces rather than trusting a size from seeking: that also works for pipes and
    // stops early at the size limit. The pieces go straight into the aligned storage.
    constexpr size_t kChunk = 65536;
    std::vector<uint32_t>& words = image->words_;
    size_t size = 0;
    bool ok = true;
    for (;;) {
        if (size + kChunk > words.size() * 4) {
            const size_t needed = (size + kChunk + 3) / 4;
            const size_t most = (kMaxPackageBytes + kChunk + 3) / 4;  // enough to see it is too large
            words.resize(std::min(std::max(words.size() * 2, needed), most));
        }
        const size_t got = std::fread(reinterpret_cast<uint8_t*>(words.data()) + size, 1, kChunk, file);
        size += got;
        if (size > kMaxPackageBytes) {
            *error = "Too large to be a package (more than " + std::to_string(kMaxPackageBytes >> 20) +
                     " MiB) : " + path;
            ok = false;
            break;
        }
        if (got < kChunk) {
            if (std::ferror(file)) {
                *error = "Can't read file : " + path + " (" + std::strerror(errno) + ")";
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    if (ok && size == 0) {
        *error = "File is empty : " + path;
        ok = false;
    }
    if (!ok) {
        words.clear();
        words.shrink_to_fit();
        return false;
    }
    words.resize((size + 3) / 4);
    words.shrink_to_fit();
    image->size_ = static_cast<uint32_t>(size);
    return true;
}

CheckResult loadCheckedPackage(const std::string& path, PackageKind kind, const CheckContext& context,
                               PackageImage* image)
{
    CheckResult result;
    if (!loadPackage(path, image, &result.error))
        return result;
    result = checkPackage(kind, image->data(), image->size(), context);
    if (!result.ok())
        result.error += " : " + path;
    for (std::string& warning : result.warnings)
        warning += " : " + path;
    return result;
}

bool PackageLoader::load(const std::string& path, PackageKind kind, PackageImage* image)
{
    const CheckResult result = loadCheckedPackage(path, kind, context_, image);
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "%s%s\n", warningPrefix_.c_str(), warning.c_str());
    if (!result.ok()) {
        std::fprintf(stderr, "%s%s\n", errorPrefix_.c_str(), result.error.c_str());
        return false;
    }
    if (kind == PackageKind::Samples)
        context_.samples = SampleTable{image->data(), result.count};
    else if (kind == PackageKind::Instruments)
        context_.instrumentCount = result.count;
    return true;
}

}  // namespace bs
