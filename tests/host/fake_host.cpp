#include "fake_host.h"

#include <chrono>
#include <cstdio>

#include "files/file_kind.h"
#include "files/open_file.h"

namespace hosttest {

void FakeHostTest::SetUp()
{
    hx_close();
}

void FakeHostTest::TearDown()
{
    hx_close();
    // The engine's pause flag survives bs_init: leave it as the next test expects.
    bs_resume();
    for (const std::string& path : tempFiles_)
        removeFile(path.c_str());
}

HXRESULT FakeHostTest::start()
{
    return halvex::initHost(platform, &window, samples.data(), instruments.data());
}

void FakeHostTest::tickAt(uint32_t play, uint32_t write)
{
    ASSERT_NE(platform.device, nullptr);
    platform.device->setCursors(play % kBuffer, write % kBuffer);
    ASSERT_TRUE(platform.tick());
}

uint32_t FakeHostTest::runBlocks(uint32_t blocks)
{
    tickAt(0, 0);
    // The first tick accounted for four blocks: the next one moves when the
    // play cursor is five blocks on.
    uint32_t play = 4 * kBlock;
    for (uint32_t i = 0; i < blocks; ++i) {
        play += kBlock;
        tickAt(play, play + 960);
    }
    return play % kBuffer;
}

uint32_t FakeHostTest::blocksRendered()
{
    uint32_t count = 0;
    hx_getState(nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr);
    return count;
}

std::vector<uint8_t> FakeHostTest::deviceBytes(uint32_t offset, uint32_t count)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < count; ++i)
        out.push_back(platform.device->buffer[(offset + i) % kBuffer]);
    return out;
}

std::string FakeHostTest::tempPath(const std::string& name)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Apart from other runs of the suite at the same time.
    static const long long run =
        static_cast<long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string path = ::testing::TempDir() + "halvex_" + info->name() + "_" +
                       std::to_string(run) + "_" + name;
    removeFile(path.c_str());
    tempFiles_.push_back(path);
    return path;
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::FILE* file = openFile(path.c_str(), "rb");
    if (!file)
        return bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

bool fileExists(const std::string& path)
{
    return fileKind(path.c_str(), true) != FileKind::missing;
}

std::vector<uint8_t> engineReference(const Image& samples, const Image& instruments,
                                     void (*requests)(const void* context), const void* context,
                                     uint32_t blocks)
{
    std::vector<uint8_t> out;
    if (bs_init(samples.data(), instruments.data()) != 0)
        return out;
    if (requests)
        requests(context);
    int16_t block[BS_BLOCK_VALUES];
    for (uint32_t i = 0; i < blocks; ++i) {
        bs_update(block);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(block);
        out.insert(out.end(), bytes, bytes + BS_BLOCK_BYTES);
    }
    return out;
}

bool isSilent(const std::vector<uint8_t>& bytes)
{
    for (uint8_t byte : bytes)
        if (byte != 0)
            return false;
    return true;
}

std::string commandOutput(const std::string& command)
{
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, got);
    pclose(pipe);
    return out;
}

}  // namespace hosttest
