// Package files read into memory for the engine, and checked against each other.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_support.h"
#include "package_builder.h"
#include "tools/common/package_file.h"

using namespace bs;
using namespace cli_support;
using namespace testing_packages;

namespace {

class PackageFile : public ScratchTest {
protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }
};

}  // namespace

TEST_F(PackageFile, ReadsTheWholeFileIntoAlignedMemory)
{
    // Larger than one piece of reading, and not a multiple of 4.
    const Bytes pack = samplePack({{ramp(70001)}});
    writeBytes(dir / "big.smp", pack);
    PackageImage image;
    std::string error;
    ASSERT_TRUE(loadPackage(path("big.smp"), &image, &error)) << error;
    EXPECT_EQ(image.path(), path("big.smp"));
    ASSERT_EQ(image.size(), pack.size());
    EXPECT_EQ(Bytes(image.data(), image.data() + image.size()), pack);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(image.data()) % 4, 0u);

    const PackageImage copy("copy", pack.data() + 1, 9);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(copy.data()) % 4, 0u);
    EXPECT_EQ(Bytes(copy.data(), copy.data() + copy.size()), Bytes(pack.begin() + 1, pack.begin() + 10));
}

TEST_F(PackageFile, SaysWhyAFileCannotBeAPackage)
{
    PackageImage image;
    std::string error;
    EXPECT_FALSE(loadPackage(path("missing.smp"), &image, &error));
    EXPECT_EQ(error, "Can't open file : " + path("missing.smp") + " (No such file or directory)");
    EXPECT_FALSE(loadPackage(dir.string(), &image, &error));
#if defined(_WIN32)  // where a folder does not even open
    EXPECT_EQ(error, "Can't open file : " + dir.string() + " (Is a directory)");
#else
    EXPECT_EQ(error, "Can't read file : " + dir.string() + " (Is a directory)");
#endif
    writeBytes(dir / "empty.smp", {});
    EXPECT_FALSE(loadPackage(path("empty.smp"), &image, &error));
    EXPECT_EQ(error, "File is empty : " + path("empty.smp"));

    // A sparse file: no disk space, but read like any other.
    fs::path huge = dir / "huge.smp";
    writeBytes(huge, {'B', 'S', 'M', 'P'});
    fs::resize_file(huge, kMaxPackageBytes);
    ASSERT_TRUE(loadPackage(huge.string(), &image, &error)) << error;
    EXPECT_EQ(image.size(), kMaxPackageBytes);
    fs::resize_file(huge, kMaxPackageBytes + 1);
    EXPECT_FALSE(loadPackage(huge.string(), &image, &error));
    EXPECT_EQ(error, "Too large to be a package (more than 64 MiB) : " + huge.string());
    EXPECT_EQ(image.size(), 0u);
}

TEST_F(PackageFile, CheckedLoadsNameTheFileInEveryMessage)
{
    writeBytes(dir / "t.ins", instrumentPack({{3, {MACRO_END}}}));
    PackageImage image;
    CheckResult r = loadCheckedPackage("t.ins", PackageKind::Samples, {}, &image);
    EXPECT_EQ(r.error, "Can't open file : t.ins (No such file or directory)");
    r = loadCheckedPackage(path("t.ins"), PackageKind::Samples, {}, &image);
    EXPECT_EQ(r.error, "Not a sample pack: it is an instrument pack : " + path("t.ins"));
    r = loadCheckedPackage(path("t.ins"), PackageKind::Instruments, {}, &image);
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0], "Instrument 0 uses sample 3, but the sample pack has only 0: it plays silence : " +
                                 path("t.ins"));
}

TEST_F(PackageFile, TheLoaderChecksEachPackageAgainstThePacksBeforeIt)
{
    writeBytes(dir / "t.smp", samplePack({{ramp(100)}, {ramp(40)}}));
    writeBytes(dir / "t.ins", instrumentPack({{1, {MACRO_LOOPING, 0, 0, 41, 0, MACRO_END}}, {0, {MACRO_END}}}));
    writeBytes(dir / "t.mus", musicTrack({{10, {MUSIC_USING, 1, MUSIC_USING, 2, MUSIC_PRIORITY, 0}}}));
    writeBytes(dir / "t.sfx", soundEffect({{2, {MACRO_END}}}));
    PackageLoader loader("E: ", "W: ");
    PackageImage samples, instruments, music, effect;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loader.load(path("t.smp"), PackageKind::Samples, &samples));
    EXPECT_TRUE(loader.load(path("t.ins"), PackageKind::Instruments, &instruments));
    EXPECT_TRUE(loader.load(path("t.mus"), PackageKind::Music, &music));
    EXPECT_TRUE(loader.load(path("t.sfx"), PackageKind::Effect, &effect));
    EXPECT_FALSE(loader.load(path("t.smp"), PackageKind::Effect, &effect));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "W: Instrument 0 loops up to offset 41, beyond the end of its sample (40 samples) : " + path("t.ins") +
                  "\n"
                  "W: Uses instrument 2, but the instrument pack has only 2 (were both built from the same "
                  "instruments file?) : " +
                  path("t.mus") + "\n"
                                  "W: Channel 0 uses sample 2, but the sample pack has only 2: it plays silence : " +
                  path("t.sfx") +
                  "\n"
                  "E: Not a sound effect: it is a sample pack : " +
                  path("t.smp") + "\n");
}
