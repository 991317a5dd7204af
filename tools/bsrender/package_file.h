// Package files read whole into memory, ready to hand to the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bsrender {

// The largest file bsrender takes for a package. The biggest useful sample pack (256 entries,
// each with a file of its own of 64 KiB) is about 17 MiB; anything much larger is not a package.
inline constexpr uint32_t kMaxPackageBytes = 256u << 20;

struct PackageImage {
    std::string path;
    // The engine wants images at addresses that are multiples of 4. A vector's storage comes
    // from operator new, aligned for any fundamental type (__STDCPP_DEFAULT_NEW_ALIGNMENT__,
    // 16 on the platforms we build for), which loadPackage also checks.
    std::vector<uint8_t> bytes;

    const uint8_t* data() const { return bytes.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes.size()); }
};

static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= 4, "package images need 4-byte alignment");

// Reads `path` whole. On failure returns false with `error` saying what went wrong, in the
// form "<what> : <path>".
bool loadPackage(const std::string& path, PackageImage* image, std::string* error);

}  // namespace bsrender
