// ControlPanel: the trackbars with their caps and snap-back, the effect's
// Play and Stop, the panning table and the one-time switch of the icons.
#include "core_test_support.h"

namespace coretest {
namespace {

TEST(PanningLevels, CentreIsBoth127AndEachEndSilencesOneSide)
{
    const int cases[][3] = {{0, 127, 0}, {1, 127, 1}, {127, 127, 127}, {128, 127, 127}, {129, 126, 127}, {255, 0, 127}};
    for (const auto& c : cases) {
        int left = -1, right = -1;
        panningLevels(c[0], &left, &right);
        EXPECT_EQ(left, c[1]) << "p = " << c[0];
        EXPECT_EQ(right, c[2]) << "p = " << c[0];
    }
}

class ControlPanelTest : public CoreTest {
protected:
    ControlPanel& panel() { return app->controlPanel(); }

    void scroll(int volume, int priority, int panning)
    {
        window.trackbars[IDC_VOLUME_TRACKBAR] = volume;
        window.trackbars[IDC_SFX_PRIORITY] = priority;
        window.trackbars[IDC_SFX_PANNING] = panning;
        app->onHScroll();
    }
    std::vector<int> positions()
    {
        return {window.trackbars[IDC_VOLUME_TRACKBAR], window.trackbars[IDC_SFX_PRIORITY],
                window.trackbars[IDC_SFX_PANNING]};
    }
    std::vector<int> stored()
    {
        return {panel().storedVolume(), panel().storedPriority(), panel().storedPanning(), panel().leftLevel(),
                panel().rightLevel()};
    }
    int channelsAt(int priority)
    {
        int count = 0;
        for (const MacroChannel& channel : channels())
            count += channel.priority == priority;
        return count;
    }
};

// A change is taken only while its condition holds; otherwise the trackbar
// returns to the stored value.  Positions are capped to the ranges.
TEST_F(ControlPanelTest, TrackbarsSnapBackUnlessTheirChangeIsTaken)
{
    struct Case {
        const char* name;
        std::function<void()> before;
        std::vector<int> moved;      // volume, priority, panning
        std::vector<int> positions;  // after the scroll
        std::vector<int> stored;     // volume, priority, panning, left, right
    };
    const Case cases[] = {
        {"host not running", [] {}, {10, 20, 30}, {127, 127, 128}, {127, 127, 128, 127, 127}},
        {"running, no effect", [&] { openAll(true, false); }, {10, 20, 30}, {10, 127, 128}, {10, 127, 128, 127, 127}},
        {"running with an effect", [&] { open(Package::Effect, effectFile); }, {40, 20, 30}, {40, 20, 30}, {40, 20, 30, 127, 30}},
        {"caps", [] {}, {200, 0, 300}, {127, 1, 255}, {127, 1, 255, 0, 127}},
        {"below the ranges", [] {}, {-5, -5, -5}, {0, 1, 0}, {0, 1, 0, 127, 0}},
        {"host closed again keeps the stored values", [&] { open(Package::Samples, scratch("missing.smp")); }, {50, 60, 70}, {0, 1, 0}, {0, 1, 0, 127, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.before();
        scroll(c.moved[0], c.moved[1], c.moved[2]);
        EXPECT_EQ(positions(), c.positions);
        EXPECT_EQ(stored(), c.stored);
    }
}

TEST_F(ControlPanelTest, TheVolumeReachesTheHostOnlyWithATrackLoaded)
{
    openAll(false, false);
    scroll(30, 127, 128);
    EXPECT_EQ(panel().storedVolume(), 30);  // taken, though no track hears it
    open(Package::Music, musicFile);
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(2);
    EXPECT_EQ(tracks()[0].attenuation, 127);  // not sent again for a new track
    scroll(64, 127, 128);
    render(1);
    EXPECT_EQ(tracks()[0].attenuation, 64);
}

TEST_F(ControlPanelTest, MovingThePriorityStopsThePlayingEffect)
{
    openAll();
    app->onCommand(ID_PLAYBACK_PLAYSFX);
    render(2);
    ASSERT_EQ(channelsAt(127), 1);
    scroll(127, 100, 128);
    render(1);
    EXPECT_EQ(channelsAt(127), 0);
    EXPECT_EQ(channelsAt(100), 0);  // stopped, and nothing new started

    app->onCommand(IDC_SFX_PLAY);
    render(1);
    ASSERT_EQ(channelsAt(100), 1);
    scroll(127, 100, 0);  // panning alone stops nothing
    render(1);
    EXPECT_EQ(channelsAt(100), 1);
    app->onCommand(IDC_SFX_STOP);
    render(1);
    EXPECT_EQ(channelsAt(100), 0);
}

TEST_F(ControlPanelTest, EachPlayStartsTheEffectAgainWithTheStoredPriorityAndLevels)
{
    openAll();
    scroll(127, 90, 0);  // hard left
    for (int press = 0; press < 3; ++press) {
        app->onCommand(ID_PLAYBACK_PLAYSFX);
        render(1);
        Voice voices[BS_CHANNELS];
        MacroChannel table[BS_CHANNELS];
        hx_copyState(voices, table, nullptr, nullptr, nullptr, nullptr);
        int found = 0;
        for (int i = 0; i < BS_CHANNELS; ++i) {
            if (table[i].priority != 90)
                continue;
            ++found;
            EXPECT_EQ(voices[i].panLeft, 127);
            EXPECT_EQ(voices[i].panRight, 0);
        }
        EXPECT_EQ(found, press + 1);  // each press starts one more, alike
    }
    EXPECT_EQ(app->bridge().lastEffectPriority(), 90);
}

TEST_F(ControlPanelTest, PlayAndStopBeforeTheHostRunsOnlyRunTheCommonTail)
{
    open(Package::Samples, samplesFile);
    const int redraws = window.menuRedraws;
    app->onCommand(IDC_SFX_PLAY);
    app->onCommand(IDC_SFX_STOP);
    app->onCommand(ID_PLAYBACK_PLAYSFX);
    EXPECT_EQ(window.menuRedraws, redraws + 3);
    EXPECT_EQ(app->bridge().lastEffectPriority(), 0);
    EXPECT_TRUE(window.iconChanges.empty());
}

TEST_F(ControlPanelTest, ButtonsTurnBlackOnceTheHostRunsWithAnEffect)
{
    const std::vector<std::pair<int, int>> black = {{IDC_SFX_PLAY, IDI_PLAY}, {IDC_SFX_STOP, IDI_STOP}};
    open(Package::Effect, effectFile);  // no host yet
    EXPECT_TRUE(window.iconChanges.empty());
    open(Package::Samples, samplesFile);
    open(Package::Instruments, instrumentsFile);  // the host starts in this command
    EXPECT_EQ(window.iconChanges, black);
    EXPECT_TRUE(panel().buttonsActive());
    open(Package::Samples, scratch("missing.smp"));  // host closed: they stay black
    open(Package::Samples, samplesFile);
    app->onCommand(ID_PLAYBACK_PLAYSFX);
    EXPECT_EQ(window.iconChanges, black);
}

}  // namespace
}  // namespace coretest
