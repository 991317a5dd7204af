// CommandHandler: the commands, the menu states after each, the host start
// with its Retry/Cancel loop, and what a load shows.
#include <filesystem>
#include <set>

#include "core_test_support.h"

namespace coretest {
namespace {

using Commands = std::vector<int>;

// The commands of `groups` and those of the items that are always enabled, in
// menu order.
Commands menuOrder(std::initializer_list<Commands> groups)
{
    std::set<int> enabled = {ID_FILE_OPENSAMPLES, ID_FILE_OPENINSTRUMENTS, ID_FILE_EXIT, ID_HELP_ABOUT};
    for (const Commands& group : groups)
        enabled.insert(group.begin(), group.end());
    Commands commands;
    for (const MenuPopupResource& popup : mainMenu())
        for (const MenuItem& item : popup.items)
            if (!item.separator() && enabled.count(item.command))
                commands.push_back(item.command);
    return commands;
}

const Commands kRunning = {ID_FILE_OPENMUSIC, ID_FILE_OPENSFX, ID_FILE_LOGOUTPUT,
                           ID_PLAYBACK_PAUSE, ID_PLAYBACK_RESUME, ID_PLAYBACK_STOPALL};
const Commands kLogging = {ID_FILE_OPENMUSIC, ID_FILE_OPENSFX, ID_FILE_STOPLOGGING,
                           ID_PLAYBACK_PAUSE, ID_PLAYBACK_RESUME, ID_PLAYBACK_STOPALL};
const Commands kMusic = {ID_PLAYBACK_PLAYMUSIC, ID_PLAYBACK_STOPMUSIC};
const Commands kEffect = {ID_PLAYBACK_PLAYSFX, ID_PLAYBACK_STOPSFX};

class CommandHandlerTest : public CoreTest {
protected:
    int events(const std::string& name)
    {
        int count = 0;
        for (const std::string& event : platform.events())
            count += event == name;
        return count;
    }
};

TEST_F(CommandHandlerTest, MenusFollowTheStateAfterEveryCommand)
{
    struct Step {
        const char* name;
        std::function<void()> act;
        Commands enabled;
    };
    const Step steps[] = {
        {"sample pack", [&] { open(Package::Samples, samplesFile); }, menuOrder({})},
        {"instrument pack starts the host", [&] { open(Package::Instruments, instrumentsFile); },
         menuOrder({kRunning})},
        {"music track", [&] { open(Package::Music, musicFile); }, menuOrder({kRunning, kMusic})},
        {"sound effect", [&] { open(Package::Effect, effectFile); }, menuOrder({kRunning, kMusic, kEffect})},
        {"log output",
         [&] {
             window.dialogAnswers.push_back(scratch("out.wav"));
             app->onCommand(ID_FILE_LOGOUTPUT);
         },
         menuOrder({kLogging, kMusic, kEffect})},
        {"stop logging", [&] { app->onCommand(ID_FILE_STOPLOGGING); }, menuOrder({kRunning, kMusic, kEffect})},
        // The host is closed and the pack gone: the Playback popup and the
        // items that need both packs are greyed.
        {"instrument pack that cannot be read", [&] { open(Package::Instruments, scratch("missing.ins")); },
         menuOrder({})},
        {"instrument pack again", [&] { open(Package::Instruments, instrumentsFile); },
         menuOrder({kRunning, kMusic, kEffect})},
        {"sample pack that is not one", [&] { open(Package::Samples, musicFile); }, menuOrder({})},
    };
    EXPECT_EQ(window.enabledCommands(), menuOrder({}));  // as the menu resource has them
    EXPECT_FALSE(window.playbackEnabled);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const int redraws = window.menuRedraws;
        step.act();
        EXPECT_EQ(window.enabledCommands(), step.enabled);
        EXPECT_EQ(window.playbackEnabled, app->bridge().running());
        EXPECT_EQ(window.menuRedraws, redraws + 1);
    }
}

TEST_F(CommandHandlerTest, LoadingASamplePackWhileMusicPlaysRestartsTheHostWithTheMusicStopped)
{
    openAll();
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(5);
    ASSERT_TRUE(app->bridge().musicPlaying());
    const uint8_t* music = app->bridge().image(Package::Music).data();
    const uint8_t* instruments = app->bridge().image(Package::Instruments).data();
    platform.clearEvents();

    open(Package::Samples, samplesFile);
    EXPECT_EQ(events("release"), 1);  // the old host's device
    EXPECT_EQ(events("open"), 1);     // the new one, in the same command
    EXPECT_TRUE(app->bridge().running());
    EXPECT_EQ(app->bridge().image(Package::Music).data(), music);
    EXPECT_EQ(app->bridge().image(Package::Instruments).data(), instruments);
    render(3);
    EXPECT_FALSE(app->bridge().musicPlaying());
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(CommandHandlerTest, ACancelledDialogChangesNothing)
{
    openAll();
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(2);
    const uint8_t* samples = app->bridge().image(Package::Samples).data();
    platform.clearEvents();
    for (int command : {ID_FILE_OPENSAMPLES, ID_FILE_OPENINSTRUMENTS, ID_FILE_OPENMUSIC, ID_FILE_OPENSFX,
                        ID_FILE_LOGOUTPUT}) {
        window.dialogAnswers.push_back(std::nullopt);
        app->onCommand(command);
    }
    render(2);
    EXPECT_TRUE(app->bridge().musicPlaying());
    EXPECT_EQ(app->bridge().image(Package::Samples).data(), samples);
    EXPECT_FALSE(app->bridge().logging());
    EXPECT_EQ(events("open"), 0);
    EXPECT_EQ(window.dialogs.size(), 9u);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(CommandHandlerTest, AFailedStartAsksRetryOrCancelAfterEveryCommand)
{
    const std::string failure = stringText(IDS_INIT_FAILED);
    platform.openResult = HX_E_NODEVICE;
    window.messageAnswers = {MessageAnswer::Retry, MessageAnswer::Retry, MessageAnswer::Cancel};
    open(Package::Samples, samplesFile);
    open(Package::Instruments, instrumentsFile);
    EXPECT_EQ(window.messages, std::vector<std::string>(3, failure));
    EXPECT_EQ(window.messageButtons, std::vector<MessageButtons>(3, MessageButtons::RetryCancel));
    EXPECT_EQ(events("open"), 3);
    EXPECT_FALSE(app->bridge().running());
    EXPECT_EQ(window.enabledCommands(), menuOrder({{ID_FILE_OPENMUSIC, ID_FILE_OPENSFX}}));  // ready, not running

    // The Play button is a command too: the start is tried again (and cancelled).
    app->onCommand(IDC_SFX_PLAY);
    EXPECT_EQ(window.messages.size(), 4u);
    EXPECT_EQ(events("open"), 4);

    // Once the device opens, the next command starts the host without a word.
    platform.openResult = 0;
    app->onCommand(IDC_SFX_STOP);
    EXPECT_EQ(window.messages.size(), 4u);
    EXPECT_TRUE(app->bridge().running());
}

TEST_F(CommandHandlerTest, LoggingCommands)
{
    openAll();
    // Stop Logging without a log does nothing, and says nothing.
    app->onCommand(ID_FILE_STOPLOGGING);
    EXPECT_FALSE(app->bridge().logging());
    EXPECT_TRUE(window.messages.empty());

    // A file that cannot be created: string 8.
    window.dialogAnswers.push_back(scratch("no such folder/out.wav"));
    app->onCommand(ID_FILE_LOGOUTPUT);
    EXPECT_EQ(window.messages, std::vector<std::string>{stringText(IDS_LOG_FAILED)});
    EXPECT_FALSE(app->bridge().logging());

    window.dialogAnswers.push_back(scratch("out.wav"));
    app->onCommand(ID_FILE_LOGOUTPUT);
    EXPECT_TRUE(app->bridge().logging());
    render(4);
    app->onCommand(ID_FILE_STOPLOGGING);
    EXPECT_FALSE(app->bridge().logging());
    const uintmax_t size = std::filesystem::file_size(scratch("out.wav"));
    EXPECT_GT(size, 44u);
    EXPECT_EQ((size - 44) % BS_BLOCK_BYTES, 0u);
    EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(CommandHandlerTest, PlaybackCommandsReachTheHost)
{
    openAll();
    auto musicChannels = [&] {
        int busy = 0;
        for (const MacroChannel& channel : channels())
            busy += channel.priority == 10;  // the tune's track priority
        return busy;
    };
    struct Step {
        int command;
        bool musicPlays;
    };
    // clang-format off
    const Step steps[] = {
        {ID_PLAYBACK_PLAYMUSIC, true}, {ID_PLAYBACK_STOPMUSIC, false}, {ID_PLAYBACK_PLAYMUSIC, true},
        {ID_PLAYBACK_STOPALL, false},  {ID_PLAYBACK_PLAYMUSIC, true},  {ID_PLAYBACK_PAUSE, true},
        {ID_PLAYBACK_RESUME, true},
    };
    // clang-format on
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        app->onCommand(step.command);
        render(2);
        EXPECT_EQ(app->bridge().musicPlaying(), step.musicPlays);
        EXPECT_EQ(musicChannels() > 0, step.musicPlays);
    }
    app->onCommand(ID_HELP_ABOUT);
    app->onCommand(ID_FILE_EXIT);
    EXPECT_EQ(window.abouts, 1);
    EXPECT_EQ(window.closes, 1);
}

// A package that is not one is refused with its file name and the string
// table's text for its kind; the package it was to replace is gone.
TEST_F(CommandHandlerTest, InvalidPackagesAreNamedAndNotLoaded)
{
    openAll();
    const std::string bad = writeBytes("bad.bin", {'R', 'I', 'F', 'F', 0, 0, 0, 0});
    for (Package package : {Package::Effect, Package::Music, Package::Instruments, Package::Samples}) {
        window.messages.clear();
        open(package, bad);
        EXPECT_EQ(window.messages, std::vector<std::string>{bad + stringText(packageResource(package).invalidText)});
        EXPECT_FALSE(app->bridge().loaded(package));
        // Only replacing a pack closes the host.
        EXPECT_EQ(app->bridge().running(), package == Package::Effect || package == Package::Music);
    }
    EXPECT_EQ(std::string(stringText(IDS_INVALID_EFFECT)), " is not a valid sound effect.");
}

TEST_F(CommandHandlerTest, WarningsAreShownOnceAndThePackageLoads)
{
    openAll(false, false);
    const std::string odd = writeFile(
        "odd.mus", testing_images::Music().label("a").use(3).note(60, 24).end().build({{10, "a"}}));
    open(Package::Music, odd);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].rfind(odd + " is loaded, but may not play as meant:\n\nUses instrument 3", 0), 0u)
        << window.messages[0];
    EXPECT_TRUE(app->bridge().musicLoaded());
}

TEST_F(CommandHandlerTest, AnUnreadableFileIsSilentFromADialogButReportedWhenNamed)
{
    open(Package::Samples, scratch("gone.smp"));
    EXPECT_TRUE(window.messages.empty());
    PackageFiles files;
    files[Package::Samples] = scratch("gone.smp");
    app->openPackages(files);
    EXPECT_EQ(window.messages, std::vector<std::string>{scratch("gone.smp") + " could not be read."});
}

}  // namespace
}  // namespace coretest
