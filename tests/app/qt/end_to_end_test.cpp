// The demo through the whole program: its packages named as on the command
// line, Space pressed, and what SDL's disk driver took compared with
// bsrender's render of the song.  A screenshot of the window while the song
// plays goes into the build folder.
#include <QTest>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "qt_test_support.h"

namespace qttest {
namespace {

constexpr size_t kHeader = 44;
constexpr size_t kCompared = 192000;  // one second

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

size_t firstSound(const std::vector<uint8_t>& bytes, size_t from)
{
    while (from < bytes.size() && bytes[from] == 0)
        ++from;
    return from;
}

// The device took silence until Space, then the song's blocks in order: an
// empty text, or what is wrong.
std::string holdsTheSong(const std::vector<uint8_t>& device, const std::vector<uint8_t>& song)
{
    const size_t inSong = firstSound(song, kHeader) - kHeader;
    const size_t inDevice = firstSound(device, 0);
    if (inDevice == device.size() || inDevice < inSong || device.size() - (inDevice - inSong) < kCompared)
        return "the device took less than a second of sound";
    const auto differ = std::mismatch(song.begin() + kHeader, song.begin() + kHeader + kCompared,
                                      device.begin() + (inDevice - inSong));
    if (differ.first != song.begin() + kHeader + kCompared)
        return "the device's stream differs from the song in block " +
               std::to_string((differ.first - song.begin() - kHeader) / 800);
    return "";
}

TEST_F(FrontEndTest, SpacePlaysTheSongAsBsrenderRendersIt)
{
    const std::vector<uint8_t> song = readFile(demoFile("wav/song.wav"));
    ASSERT_GT(song.size(), kHeader + kCompared);
    std::string why;
    // A machine loaded hard enough can make the device replay a block the
    // host had no time to write: such a run is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        start();
        openDemo();
        ASSERT_TRUE(application().bridge().running());
        press(Qt::Key_Space);
        QTest::qWait(1000);
        ASSERT_TRUE(window().grab().save(SCREENSHOT_PATH));
        QTest::qWait(800);
        session.reset();
        why = holdsTheSong(readFile(deviceFile), song);
        if (why.empty())
            return;
        std::printf("attempt %d: %s\n", attempt + 1, why.c_str());
    }
    FAIL() << why;
}

}  // namespace
}  // namespace qttest
