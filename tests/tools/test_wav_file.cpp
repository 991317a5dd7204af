// WAV files in the host's log format, written safely.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#if !defined(_WIN32)
#  include <sys/stat.h>
#endif

#include "formats/packages.h"
#include "test_programs.h"
#include "tools/common/wav_file.h"

extern "C" void bs_test_makeWavHeaderInC(uint32_t dataBytes, uint8_t* header);

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WavFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("bs_wav_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    size_t filesInDir() const
    {
        return size_t(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

}  // namespace

TEST(WavHeader, IsTheCanonical44ByteHeader)
{
    uint8_t header[BS_WAV_HEADER_SIZE];
    bs_makeWavHeader(192000, header);
    const uint8_t expected[44] = {'R', 'I', 'F', 'F', 0x24, 0xEE, 0x02, 0x00, 'W', 'A', 'V', 'E',
                                  'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
                                  0x80, 0xBB, 0, 0, 0x00, 0xEE, 0x02, 0x00, 4, 0, 16, 0,
                                  'd', 'a', 't', 'a', 0x00, 0xEE, 0x02, 0x00};
    EXPECT_EQ(0, std::memcmp(header, expected, 44));
    // The same from C, which the header is written for too.
    uint8_t fromC[BS_WAV_HEADER_SIZE];
    bs_test_makeWavHeaderInC(192000, fromC);
    EXPECT_EQ(0, std::memcmp(fromC, expected, 44));
    bs_makeWavHeader(0, header);
    EXPECT_EQ(header[4], 36);
    EXPECT_EQ(header[40], 0);
}

TEST(WavHeader, SamplesAreLittleEndianWhateverTheHost)
{
    std::vector<uint8_t> out;
    const int16_t values[] = {1, -2, 0x1234, -32768};
    bs::appendLittleEndianSamples(out, values, 4);
    const std::vector<uint8_t> expected = {0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x80};
    EXPECT_EQ(out, expected);
}

TEST_F(WavFileTest, CommitWritesHeaderAndDataAndLeavesNothingElse)
{
    const fs::path path = dir_ / "out.wav";
    bs::WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path.string(), &error)) << error;
    const int16_t block[4] = {100, -100, 7, -7};
    ASSERT_TRUE(writer.append(block, 4, &error));
    ASSERT_TRUE(writer.append(block, 2, &error));
    EXPECT_FALSE(fs::exists(path));  // nothing at the destination before the commit
    ASSERT_TRUE(writer.commit(&error)) << error;
    const std::vector<uint8_t> bytes = readAll(path);
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_EQ(bs_readU32(bytes.data() + 4), 48u);
    EXPECT_EQ(bs_readU32(bytes.data() + 40), 12u);
    EXPECT_EQ(bytes[44], 100);
    EXPECT_EQ(bytes[46], 0x9C);  // -100
    EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(WavFileTest, AnAbandonedWriteKeepsTheOldFileAndRemovesItsTemporary)
{
    const fs::path path = dir_ / "keep.wav";
    std::ofstream(path) << "old contents";
    {
        bs::WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(path.string(), &error)) << error;
        const int16_t block[2] = {1, 2};
        ASSERT_TRUE(writer.append(block, 2, &error));
        EXPECT_EQ(filesInDir(), 2u);
    }
    EXPECT_EQ(filesInDir(), 1u);
    const std::vector<uint8_t> bytes = readAll(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old contents");
}

TEST_F(WavFileTest, CommitReplacesAnExistingFile)
{
    const fs::path path = dir_ / "replace.wav";
    std::ofstream(path) << "old contents that are longer than the new file";
    bs::WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path.string(), &error));
    ASSERT_TRUE(writer.commit(&error)) << error;
    EXPECT_EQ(fs::file_size(path), 44u);
}

TEST_F(WavFileTest, ReportsAFolderThatDoesNotExist)
{
    bs::WavWriter writer;
    std::string error;
    const fs::path path = dir_ / "missing" / "out.wav";
    EXPECT_FALSE(writer.open(path.string(), &error));
    EXPECT_EQ(error.rfind("Can't write to destination file : " + path.string() + " (", 0), 0u) << error;
    const int16_t block[2] = {1, 2};
    EXPECT_FALSE(writer.append(block, 2, &error));
    EXPECT_FALSE(writer.commit(&error));
}

#if !defined(_WIN32)  // no symbolic links there, nor permission bits
TEST_F(WavFileTest, ALinkKeepsPointingToTheNewFile)
{
    const fs::path target = dir_ / "target.wav";
    const fs::path link = dir_ / "link.wav";
    std::ofstream(target) << "old";
    fs::create_symlink(target, link);
    bs::WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(link.string(), &error)) << error;
    ASSERT_TRUE(writer.commit(&error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::file_size(target), 44u);
}

TEST_F(WavFileTest, AReplacedFileKeepsItsPermissions)
{
    const fs::path path = dir_ / "shared.wav";
    std::ofstream(path) << "old";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    bs::WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path.string(), &error));
    ASSERT_TRUE(writer.commit(&error)) << error;
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                  fs::perms::others_read | fs::perms::others_write);
}

#endif

TEST_F(WavFileTest, AFolderIsRefused)
{
    bs::WavWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open(dir_.string(), &error));
    EXPECT_EQ(error, "Can't write to destination file : " + dir_.string() + " (Is a directory)");
    EXPECT_EQ(filesInDir(), 0u);
}

// A device cannot be replaced by renaming or rewound for the header: the writer writes into it.
TEST_F(WavFileTest, ADeviceIsWrittenIntoNotReplaced)
{
#if defined(_WIN32)
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
#endif
    bs::WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(device, &error)) << error;
    EXPECT_TRUE(writer.streaming());
    const int16_t block[4] = {1, 2, 3, 4};
    EXPECT_TRUE(writer.startStream(8, &error) && writer.append(block, 4, &error) && writer.commit(&error)) << error;
    EXPECT_EQ(filesInDir(), 0u);
}

#if !defined(_WIN32)
// A pipe (like a device such as /dev/null) cannot be replaced by renaming or rewound for the
// header: the writer must write into it, whole, and leave it a pipe.
TEST_F(WavFileTest, APipeIsWrittenIntoNotReplaced)
{
    const fs::path fifo = dir_ / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = readAll(fifo); });
    bs::WavWriter writer;
    std::string error;
    const bool opened = writer.open(fifo.string(), &error);
    const int16_t block[4] = {1, 2, 3, 4};
    const bool appended = opened && writer.streaming() && writer.startStream(8, &error) &&
                          writer.append(block, 4, &error);
    const bool committed = appended && writer.commit(&error);
    if (!opened)
        std::ofstream(fifo, std::ios::binary).put('x');  // let the reader finish
    reader.join();
    ASSERT_TRUE(committed) << error;
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
    ASSERT_EQ(received.size(), 52u);
    EXPECT_EQ(bs_readU32(received.data() + 40), 8u);
    EXPECT_EQ(received[44], 1);
    EXPECT_EQ(filesInDir(), 1u);
}
#endif

// A stream's header comes first, so its length is given up front, and the audio must match it.
TEST(WavStream, WritesTheGivenLengthThenExactlyThatMuchAudio)
{
    const int16_t block[2] = {-1, 1};
    struct Case {
        uint32_t announced;
        int appends;
        bool appendsFit;
        bool commits;
    } cases[] = {{4, 1, true, true}, {8, 1, true, false}, {4, 2, false, true}, {0, 0, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.announced);
        std::FILE* stream = test_programs::scratchStream();
        ASSERT_NE(stream, nullptr);
        bs::WavWriter writer;
        writer.openStream(stream, "stream");
        std::string error;
        EXPECT_FALSE(writer.append(block, 2, &error)) << "no audio before the header";
        ASSERT_TRUE(writer.startStream(c.announced, &error)) << error;
        bool fit = true;
        for (int i = 0; i < c.appends; ++i)
            fit = writer.append(block, 2, &error) && fit;
        EXPECT_EQ(fit, c.appendsFit);
        EXPECT_EQ(writer.commit(&error), c.commits) << error;
        std::rewind(stream);
        uint8_t bytes[48] = {};
        ASSERT_EQ(std::fread(bytes, 1, 48, stream), c.announced ? 48u : 44u);
        EXPECT_EQ(bs_readU32(bytes + 40), c.announced);
        if (c.announced) {
            EXPECT_EQ(bytes[44], 0xFF);
        }
        std::fclose(stream);
    }
}
