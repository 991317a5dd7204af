// The drawing rules of the three views, down to the pixel, and the refresh.
#include <string>

#include "app/core/status_views.h"
#include "core_test_support.h"

namespace coretest {
namespace {

const EngineInfo kEngine = {16, 48000, 240, 256, 32768};

TEST(InformationPanel, TextOfTheEngineTheTicksAndThePlayTime)
{
    const std::string head =
        "Macro Channels : 16\nRender & Decode Rates : 48000Hz, 240Hz\n"
        "Sample Library : 256 Entries, 32768 Samples Each (Max)\n\n";
    const std::string tail(27, ' ');
    struct Case {
        bool running;
        uint32_t ticks;
        const char* last;
    };
    const Case cases[] = {
        {true, 480, "[Running] Render Ticks : 480, 2.00 sec"},
        {true, 0, "[Running] Render Ticks : 0, 0.00 sec"},
        {false, 0, "[Idle] Render Ticks : 0, 0.00 sec"},
        {true, 3, "[Running] Render Ticks : 3, 0.01 sec"},
        {false, 4294967295u, "[Idle] Render Ticks : 4294967295, 17895697.06 sec"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(informationText(kEngine, c.running, c.ticks), head + c.last + tail);
}

class WaveViewTest : public ::testing::Test {
protected:
    // One character per row of column x: '.' background, 'L' left, 'R' right, 'M' overlap.
    std::string column(int x) const
    {
        std::string rows;
        for (int y = 0; y < WaveImage::kHeight; ++y) {
            const uint32_t p = image.pixel(x, y);
            rows += p == palette.left ? 'L' : p == palette.right ? 'R'
                                          : p == palette.overlap ? 'M'
                                                                 : '.';
        }
        return rows;
    }
    void fill(int16_t left, int16_t right)
    {
        for (uint32_t i = 0; i < HX_RING_VALUES; i += 2) {
            ring[i] = left;
            ring[i + 1] = right;
        }
    }
    void draw() { drawWave(ring, HX_RING_VALUES, palette, &image); }

    int16_t ring[HX_RING_VALUES] = {};
    WavePalette palette;
    WaveImage image;
};

// Runs from rows `from` to `to` of `mark` in a column of background.
std::string rows(std::initializer_list<std::tuple<int, int, char>> runs)
{
    std::string column(WaveImage::kHeight, '.');
    for (const auto& [from, to, mark] : runs)
        for (int y = from; y <= to; ++y)
            column[size_t(y)] = mark;
    return column;
}

TEST_F(WaveViewTest, SilenceAndFullScaleSamples)
{
    struct Case {
        int16_t left;
        int16_t right;
        std::string column;
    };
    const Case cases[] = {
        {0, 0, rows({{34, 34, 'M'}})},
        {32767, 0, rows({{0, 33, 'L'}, {34, 34, 'R'}})},
        {32767, 32767, rows({{0, 33, 'M'}})},
        {-32768, -32768, rows({{34, 67, 'M'}})},  // row 68 lies below the image
        {0, -32768, rows({{34, 34, 'M'}, {35, 67, 'R'}})},
        {-32768, 32767, rows({{0, 33, 'R'}, {34, 67, 'L'}})},
        {-963, 963, rows({{33, 33, 'R'}, {35, 35, 'L'}, {34, 34, 'L'}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + ", " + std::to_string(c.right));
        fill(c.left, c.right);
        draw();
        for (int x = 0; x < WaveImage::kWidth; ++x)
            ASSERT_EQ(column(x), c.column) << "column " << x;
    }
}

// 800 frames over 288 columns: column x shows frame floor(x x 800 / 288),
// and only the first 160 columns are in the image.
TEST_F(WaveViewTest, ColumnsStepThroughTheRingIn3232FixedPoint)
{
    const std::pair<uint32_t, int> cases[] = {{0, 0}, {2, 1}, {3, -1}, {5, 2}, {441, 159}, {442, -1}, {444, -1}, {799, -1}};
    for (const auto& [frame, x] : cases) {
        SCOPED_TRACE(frame);
        fill(0, 0);
        ring[2 * frame] = 32767;
        draw();
        for (int column = 0; column < WaveImage::kWidth; ++column)
            EXPECT_EQ(image.pixel(column, 0) == palette.left, column == x) << "column " << column;
    }
}

Voice voice(int32_t mode, int8_t volume, int8_t left, int8_t right)
{
    Voice v{};
    v.mode = mode;
    v.volume = volume;
    v.panLeft = left;
    v.panRight = right;
    return v;
}

TEST(ChannelTable, RowColoursFromVolumeAndPanning)
{
    const std::pair<Voice, Colour> cases[] = {
        {voice(0, 127, 127, 127), Colour{Colour::Kind::ButtonShadow}},
        {voice(1, 127, 127, 0), Colour::rgb(252, 0, 0)},
        {voice(2, 127, 0, 127), Colour::rgb(0, 0, 252)},
        {voice(1, 64, 64, -64), Colour::rgb(64, 0, 64)},
        {voice(1, -128, 127, -128), Colour::rgb(0, 0, 0)},  // |-64| x 4 and 64 x 4 keep 8 bits: 0
        {voice(3, 1, 1, 1), Colour::rgb(0, 0, 0)},
    };
    for (const auto& [v, colour] : cases)
        EXPECT_EQ(channelColour(v), colour) << v.mode << " " << int(v.volume) << " " << int(v.panLeft);
}

TEST(ChannelTable, HeaderAndOneRowCellByCell)
{
    Voice voices[16] = {};
    MacroChannel channels[16] = {};
    voices[10] = voice(2, 127, 127, -5);
    voices[10].phase = 0x00012345;
    voices[10].phaseAdjust = 0xABCD0001;
    channels[10].noteMode = -1;
    channels[10].priority = 10;
    std::vector<TextCell> cells;
    addChannelTable(voices, channels, 16, &cells);
    ASSERT_EQ(cells.size(), 1u + 16 * 8);
    EXPECT_EQ(cells[0].rect, (Rect{16, 192, 488, 207}));
    EXPECT_EQ(cells[0].text.rfind("# - Status             Type       Priority", 0), 0u);
    EXPECT_EQ(cells[0].colour, Colour{});

    const Colour red = Colour::rgb(252, 0, 12);  // 127 x -5 = 0xFD85: |-3| x 4
    const int top = 207 + 15 * 10, bottom = top + 15;
    using L = TextCell::Layout;
    const std::vector<TextCell> row = {
        {{16, top, 104, bottom}, "A - Looping <->             ", red, L::Wrapped},
        {{104, top, 120, bottom}, "i  ", red, L::Wrapped},
        {{148, top, 204, bottom}, "10    ", red, L::Wrapped},
        {{204, top, 288, bottom}, "$0001.2345    ", red, L::Wrapped},
        {{288, top, 372, bottom}, "$ABCD.0001    ", red, L::Wrapped},
        {{372, top, 411, bottom}, "127        ", red, L::Wrapped},
        {{412, top, 480, bottom}, "<  127            ", red, L::Wrapped},
        {{444, top, 488, bottom}, "   -5  >", red, L::Right},
    };
    EXPECT_EQ(std::vector<TextCell>(cells.begin() + 1 + 10 * 8, cells.begin() + 1 + 11 * 8), row);
    // An idle channel still shows its fields, in the button-shadow colour.
    EXPECT_EQ(cells[1].text, "0 - Idle                    ");
    EXPECT_EQ(cells[2].text, "s  ");
    EXPECT_EQ(cells[1].colour, Colour{Colour::Kind::ButtonShadow});
}

TEST(ChannelTable, MoreThanSixteenChannelsTakeTwoDigits)
{
    Voice voices[17] = {};
    MacroChannel channels[17] = {};
    std::vector<TextCell> cells;
    addChannelTable(voices, channels, 17, &cells);
    ASSERT_EQ(cells.size(), 1u + 17 * 8);
    EXPECT_EQ(cells[1 + 0 * 8].text.substr(0, 5), "00 - ");
    EXPECT_EQ(cells[1 + 10 * 8].text.substr(0, 5), "0A - ");
    EXPECT_EQ(cells[1 + 16 * 8].text.substr(0, 5), "10 - ");
    EXPECT_EQ(cells[1 + 16 * 8].rect.bottom, 222 + 15 * 16);
}

class ViewsTest : public CoreTest {};

TEST_F(ViewsTest, TheTimerRefreshesTheLiveAreasOnlyWhileTheHostRuns)
{
    app->onTimer();
    EXPECT_TRUE(window.invalidated.empty());
    EXPECT_EQ(window.updates, 0);
    openAll(false, false);
    app->onTimer();
    // clang-format off
    const std::vector<Rect> areas = {
        {16, 20, 304, 93}, {16, 148, 176, 164}, {200, 116, 488, 162}, {328, 20, 488, 88}, {16, 190, 488, 450},
    };
    // clang-format on
    EXPECT_EQ(window.invalidated, areas);
    EXPECT_EQ(window.updates, 1);
    EXPECT_EQ(app->channelStatusView().area(), (Rect{16, 190, 488, 15 * 16 + 210}));
}

TEST_F(ViewsTest, APaintShowsTheHostAsItStands)
{
    auto lastLine = [&] {
        const std::string& text = app->paint().cells.at(0).text;
        return text.substr(text.rfind('\n') + 1);
    };
    const std::string spaces(27, ' ');
    EXPECT_EQ(lastLine(), "[Idle] Render Ticks : 0, 0.00 sec" + spaces);
    openAll();
    EXPECT_EQ(lastLine(), "[Running] Render Ticks : 0, 0.00 sec" + spaces);
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(96);  // and the four of the first tick: the tune plays for 240

    const Painting& painting = app->paint();
    ASSERT_NE(painting.wave, nullptr);
    EXPECT_EQ(painting.waveLeft, 328);
    EXPECT_EQ(painting.waveTop, 20);
    EXPECT_EQ(painting.cells.size(), 7u + 1 + 16 * 8);
    bool sounding = false;  // the tune plays on channel 0
    for (int y = 0; y < WaveImage::kHeight; ++y)
        sounding = sounding || (y != 34 && painting.wave->pixel(5, y) != WavePalette{}.background);
    EXPECT_TRUE(sounding);
    EXPECT_NE(painting.cells[8].colour, Colour{Colour::Kind::ButtonShadow});
    render(380);
    EXPECT_EQ(lastLine(), "[Running] Render Ticks : 480, 2.00 sec" + spaces);

    open(Package::Samples, scratch("missing.smp"));  // closes the host
    EXPECT_EQ(lastLine(), "[Idle] Render Ticks : 480, 2.00 sec" + spaces);
}

}  // namespace
}  // namespace coretest
