// The WAV log's tests: a host on the scripted platform, and the log's state
// and header as the tests read them.
#ifndef HALVEX_TESTS_WAV_LOG_FIXTURE_H
#define HALVEX_TESTS_WAV_LOG_FIXTURE_H

#include <string>
#include <vector>

#include "fake_host.h"

namespace hosttest {

class WavLogTest : public FakeHostTest {
protected:
    void SetUp() override
    {
        FakeHostTest::SetUp();
        ASSERT_EQ(start(), HX_S_OK);
    }
    // The first tick, then `blocks` more blocks rendered one per tick.
    void render(uint32_t blocks)
    {
        if (play_ == 0) {
            tickAt(0, 0);
            play_ = 3200;
            blocks = blocks >= 4 ? blocks - 4 : 0;
        }
        for (uint32_t i = 0; i < blocks; ++i) {
            play_ += kBlock;
            tickAt(play_, play_ + 960);
        }
    }

    uint32_t play_ = 0;
};

struct LogState {
    int32_t stop;
    int32_t open;
    uint32_t fileBytes;
    uint32_t blocks;
    int32_t error;
};

LogState logState();
// Checks the 44-byte header of a log holding `dataBytes` bytes of audio.
void expectHeader(const std::vector<uint8_t>& file, uint32_t dataBytes);

}  // namespace hosttest

#endif
