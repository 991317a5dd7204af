// Packages named on the command line or dropped on the window, and live
// reload of the package files.
#include <filesystem>

#include "app/core/command_line.h"
#include "core_test_support.h"

namespace coretest {
namespace {

TEST(CommandLine, FilesSortByKindAndAnythingElseIsAnError)
{
    using Action = CommandLine::Action;
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        std::vector<std::string> files;  // samples, instruments, music, effect
        std::string output;              // the start of it
    };
    const Case cases[] = {
        {{}, Action::Open, {"", "", "", ""}, ""},
        {{"boom.SFX", "song.mus", "dir/song.Ins", "song.smp"}, Action::Open, {"song.smp", "dir/song.Ins", "song.mus", "boom.SFX"}, ""},
        {{"--", "-odd.smp"}, Action::Open, {"-odd.smp", "", "", ""}, ""},
        {{"song.smp", "--help", "x.wav"}, Action::Help, {}, "usage: Veskar [FILE]..."},
        {{"-h"}, Action::Help, {}, "usage: Veskar"},
        {{"song.wav"}, Action::Error, {}, "Veskar: song.wav is not a package: its name must end in .smp, .ins, .mus or .sfx.\n"},
        {{"smp"}, Action::Error, {}, "Veskar: smp is not a package"},
        {{"dir.smp/song"}, Action::Error, {}, "Veskar: dir.smp/song is not a package"},
        {{"a.smp", "b.SMP"}, Action::Error, {}, "Veskar: b.SMP is a second package of a kind already given.\n"},
        {{"-x"}, Action::Error, {}, "Veskar: unknown option -x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments[0]);
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.exitStatus(), c.action == Action::Error ? 2 : 0);
        EXPECT_EQ(line.output.rfind(c.output, 0), 0u) << line.output;
        if (c.action == Action::Open) {
            EXPECT_EQ(std::vector<std::string>(line.files.paths.begin(), line.files.paths.end()), c.files);
        }
    }
}

class PackageFilesTest : public CoreTest {
protected:
    PackageFiles all()
    {
        PackageFiles files;
        files[Package::Samples] = samplesFile;
        files[Package::Instruments] = instrumentsFile;
        files[Package::Music] = musicFile;
        files[Package::Effect] = effectFile;
        return files;
    }
    // The tune's track as far as the music has come.
    int32_t trackPosition() { return tracks()[0].position; }
};

TEST_F(PackageFilesTest, NamedFilesOpenInOrderThenTheHostStartsOnce)
{
    // The instruments and the music are checked against the packs before
    // them: in any other order the music's instrument would be missing.
    app->openPackages(all());
    EXPECT_TRUE(window.messages.empty());
    for (Package package : kPackages)
        EXPECT_TRUE(app->bridge().loaded(package));
    EXPECT_TRUE(app->bridge().running());
    EXPECT_EQ(window.menuRedraws, 1);
    EXPECT_TRUE(app->controlPanel().buttonsActive());
    EXPECT_EQ(app->watchedFiles(), (std::vector<std::string>{samplesFile, instrumentsFile, musicFile, effectFile}));
}

TEST_F(PackageFilesTest, DroppedFilesOpenLikeNamedOnesAndStrangersAreRefused)
{
    app->openDropped({scratch("notes.txt"), samplesFile});
    EXPECT_EQ(window.messages,
              std::vector<std::string>{scratch("notes.txt") + stringText(IDS_NOT_A_PACKAGE)});
    EXPECT_FALSE(app->bridge().samplesLoaded());
    app->openDropped({effectFile, instrumentsFile, samplesFile});
    EXPECT_TRUE(app->bridge().running());
    EXPECT_TRUE(app->bridge().effectLoaded());
}

// Rewriting the track, or a pack (which closes and restarts the host), starts
// playing music again from its beginning.
TEST_F(PackageFilesTest, ARewriteStartsPlayingMusicAgainFromItsBeginning)
{
    app->openPackages(all());
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(1);
    const int32_t start = trackPosition();
    for (const std::string& file : {musicFile, instrumentsFile, samplesFile}) {
        SCOPED_TRACE(file);
        render(50);
        ASSERT_NE(trackPosition(), start);
        app->onFileChanged(file);
        render(1);
        EXPECT_EQ(trackPosition(), start);
        EXPECT_TRUE(app->bridge().musicPlaying());
    }
    EXPECT_TRUE(window.messages.empty());

    // An effect's rewrite leaves the music alone; music that was stopped stays stopped.
    render(50);
    app->onFileChanged(effectFile);
    render(1);
    EXPECT_NE(trackPosition(), start);
    app->onCommand(ID_PLAYBACK_STOPMUSIC);
    render(1);
    app->onFileChanged(samplesFile);
    render(2);
    EXPECT_FALSE(app->bridge().musicPlaying());
}

TEST_F(PackageFilesTest, AVanishedOrInvalidFileKeepsNothingAndSaysSoOnce)
{
    app->openPackages(all());
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(5);
    struct Step {
        const char* name;
        std::function<void()> change;
        bool loaded;
        std::vector<std::string> messages;  // new ones
    };
    const std::string invalid = musicFile + stringText(IDS_INVALID_MUSIC);
    const Step steps[] = {
        {"removed", [&] { std::filesystem::remove(musicFile); }, false, {musicFile + " could not be read."}},
        {"still gone", [] {}, false, {}},
        {"back", [&] { writeFile("song.mus", musicImage); }, true, {}},
        {"rewritten invalid", [&] { writeBytes("song.mus", {'B', 'M', 'U', 'S'}); }, false, {invalid}},
        {"rewritten invalid again", [&] { writeBytes("song.mus", {'B', 'M', 'U', 'S', 9}); }, false, {}},
        {"fixed", [&] { writeFile("song.mus", musicImage); }, true, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        window.messages.clear();
        render(1);
        step.change();
        app->onFileChanged(musicFile);
        EXPECT_EQ(app->bridge().musicLoaded(), step.loaded);
        EXPECT_EQ(window.messages, step.messages);
        EXPECT_TRUE(app->bridge().running());
        EXPECT_EQ(app->watchedFiles().size(), 4u);
    }
    render(2);
    EXPECT_FALSE(app->bridge().musicPlaying());  // it was gone in between: nothing to restart
}

TEST_F(PackageFilesTest, OnlyWatchedFilesReload)
{
    app->openPackages(all());
    platform.clearEvents();
    const int redraws = window.menuRedraws;
    app->onFileChanged(scratch("other.smp"));
    app->onFileChanged("");
    EXPECT_EQ(window.menuRedraws, redraws);
    EXPECT_TRUE(platform.events().empty());
}

TEST_F(PackageFilesTest, AChangeDuringAMessageBoxWaitsForTheCommandToEnd)
{
    app->openPackages(all());
    const std::string bad = writeBytes("bad.smp", {1, 2, 3});
    bool inside = false;
    const int redraws = window.menuRedraws;
    window.duringMessage = [&] {
        if (inside)
            return;
        inside = true;
        writeFile("song.ins", instrumentsImage);
        platform.clearEvents();
        app->onFileChanged(instrumentsFile);
        // Not yet: the command that shows this box is still under way.
        EXPECT_EQ(window.menuRedraws, redraws);
        EXPECT_TRUE(platform.events().empty());
    };
    open(Package::Samples, bad);
    EXPECT_TRUE(inside);
    EXPECT_EQ(window.menuRedraws, redraws + 2);  // the command's common tail, then the reload's
    EXPECT_FALSE(app->bridge().samplesLoaded());
    EXPECT_TRUE(app->bridge().instrumentsLoaded());
    open(Package::Samples, samplesFile);
    EXPECT_TRUE(app->bridge().running());
}

}  // namespace
}  // namespace coretest
