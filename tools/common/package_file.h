// Package files read whole into memory, ready to hand to the engine, and checked first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/common/package_check.h"

namespace bs {

// The largest file taken for a package. The biggest useful sample pack (256 samples of 64 KiB,
// the most the engine plays of one) is about 17 MiB; anything much larger is not a package.
inline constexpr uint32_t kMaxPackageBytes = 64u << 20;

// A whole package file in memory, at an address that is a multiple of 4 as the engine wants.
class PackageImage {
public:
    PackageImage() = default;
    // A copy of `size` bytes, known as `path` in messages.
    PackageImage(std::string path, const uint8_t* bytes, size_t size);

    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
    uint32_t size() const { return size_; }
    const std::string& path() const { return path_; }

private:
    friend bool loadPackage(const std::string& path, PackageImage* image, std::string* error);

    std::vector<uint32_t> words_;  // uint32_t storage keeps the image 4-byte aligned
    uint32_t size_ = 0;
    std::string path_;
};

// Reads `path` whole. On failure returns false with `error` saying what went wrong, in the
// form "<what> : <path>".
bool loadPackage(const std::string& path, PackageImage* image, std::string* error);

// Reads `path` and checks it as a package of `kind` against `context`. Every message of the
// result names the file ("<what> : <path>"); the result is ok() when the image is usable.
CheckResult loadCheckedPackage(const std::string& path, PackageKind kind, const CheckContext& context,
                               PackageImage* image);

// Loads the packages of one run, each checked against the sample pack and the instrument pack
// loaded before it, and prints every warning and error to standard error, each line begun with
// the tool's prefix for its kind. Load the sample pack first, then the instrument pack, and keep
// the sample pack's image alive while loading the others.
class PackageLoader {
public:
    PackageLoader(std::string errorPrefix, std::string warningPrefix)
        : errorPrefix_(std::move(errorPrefix)), warningPrefix_(std::move(warningPrefix))
    {
    }

    // Reads and checks `path` as `kind`; false, after printing why, when it is unusable.
    bool load(const std::string& path, PackageKind kind, PackageImage* image);

private:
    CheckContext context_;
    std::string errorPrefix_;
    std::string warningPrefix_;
};

}  // namespace bs
