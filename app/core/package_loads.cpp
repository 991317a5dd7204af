// HostBridge: reading package files and replacing the four packages.  Every
// file is judged by the same checks as the tools' before the host sees it,
// and handed over with its length.
#include <sys/types.h>  // off_t

#include <cstdio>
#include <new>

#include "app/core/host_bridge.h"
#include "files/open_file.h"
#include "formats/packages.h"
#include "tools/common/package_check.h"
#include "tools/common/package_file.h"

namespace veskar {

HXRESULT HostBridge::readPackageFile(const std::string& path, PackageBuffer* image)
{
    image->reset();
    // Regular files only: a folder or a device is no package, and a pipe cannot be sized.
    std::FILE* file = openInputFile(path.c_str(), false);
    if (file == nullptr)
        return kAccessDenied;
    // 64-bit positions: ftell's long has 32 bits on Windows, where a file of
    // 4 GiB would otherwise read as an empty one.
    off_t size = -1;
    if (fseeko(file, 0, SEEK_END) == 0)
        size = ftello(file);
    // A file that cannot be sized, or is larger than any package, is never
    // allocated for.
    if (size < 0 || static_cast<uint64_t>(size) > bs::kMaxPackageBytes || fseeko(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return kAccessDenied;
    }
    const size_t words = (static_cast<size_t>(size) + 3) / 4;
    std::unique_ptr<uint32_t[]> block(new (std::nothrow) uint32_t[words > 0 ? words : 1]);
    if (block == nullptr) {
        std::fclose(file);
        return kOutOfMemory;
    }
    block[words > 0 ? words - 1 : 0] = 0;  // the bytes past the end of the last word
    const size_t got = std::fread(block.get(), 1, static_cast<size_t>(size), file);
    std::fclose(file);
    if (got < static_cast<size_t>(size))
        return kUnexpected;
    image->words_ = std::move(block);
    image->size_ = static_cast<uint32_t>(size);
    return kOk;
}

LoadResult HostBridge::replace(Package package, const std::string& path)
{
    PackageBuffer& target = imageOf(package);
    LoadResult result;
    result.status = readPackageFile(path, &target);  // frees the old image first
    if (HX_FAILED(result.status))
        return result;

    bs::PackageKind kind = bs::PackageKind::Samples;
    bs::CheckContext context;
    bool partnerLoaded = true;
    switch (package) {
    case Package::Samples:
        break;
    case Package::Instruments:
    case Package::Effect:
        kind = package == Package::Instruments ? bs::PackageKind::Instruments : bs::PackageKind::Effect;
        partnerLoaded = samplesLoaded();
        if (partnerLoaded) {
            const uint8_t* samples = image(Package::Samples).data();
            context.samples = {samples, bs_readU32(samples + BS_HEADER_COUNT_OFFSET)};
        }
        break;
    case Package::Music:
        kind = bs::PackageKind::Music;
        partnerLoaded = instrumentsLoaded();
        if (partnerLoaded)
            context.instrumentCount = bs_readU32(image(Package::Instruments).data() + BS_HEADER_COUNT_OFFSET);
        break;
    }
    bs::CheckResult check = bs::checkPackage(kind, target.data(), target.size(), context);
    if (!check.ok()) {
        target.reset();
        result.outcome = LoadResult::Outcome::Invalid;
        result.error = check.error;
        return result;
    }
    result.outcome = LoadResult::Outcome::Loaded;
    // Checked against nothing, the cross-checks would find fault everywhere.
    if (partnerLoaded)
        result.warnings = std::move(check.warnings);
    return result;
}

LoadResult HostBridge::loadSamples(const std::string& path)
{
    closeHost();
    return replace(Package::Samples, path);
}

LoadResult HostBridge::loadInstruments(const std::string& path)
{
    closeHost();
    return replace(Package::Instruments, path);
}

LoadResult HostBridge::loadMusic(const std::string& path)
{
    if (musicLoaded() && running_)
        hx_stopMusic();
    return replace(Package::Music, path);
}

LoadResult HostBridge::loadSfx(const std::string& path)
{
    if (effectLoaded()) {
        if (lastEffectPriority_ != 0)
            hx_stopSFX(static_cast<int8_t>(lastEffectPriority_));
        lastEffectPriority_ = 127;
        hx_stopSFX(127);
    }
    return replace(Package::Effect, path);
}

LoadResult HostBridge::load(Package package, const std::string& path)
{
    switch (package) {
    case Package::Samples:
        return loadSamples(path);
    case Package::Instruments:
        return loadInstruments(path);
    case Package::Music:
        return loadMusic(path);
    case Package::Effect:
        break;
    }
    return loadSfx(path);
}

}  // namespace veskar
