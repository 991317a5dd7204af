// The core under test: a scripted window system that records every call and
// answers dialogs and message boxes from a script, and a fixture that runs the
// whole Application on the real host over its scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/application.h"
#include "host/platform/fake/fake_platform.h"
#include "tests/host/test_packages.h"

namespace veskar {

// Readable failures for the views' output.
void PrintTo(const Rect& rect, std::ostream* out);
void PrintTo(const Colour& colour, std::ostream* out);
void PrintTo(const TextCell& cell, std::ostream* out);

}  // namespace veskar

namespace coretest {

using namespace veskar;

class ScriptedWindow : public WindowSystem {
public:
    ScriptedWindow();

    void setMenuItemEnabled(MenuPopup popup, int position, bool enabled) override;
    void setPlaybackMenuEnabled(bool enabled) override { playbackEnabled = enabled; }
    void redrawMenuBar() override { ++menuRedraws; }
    MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;
    bool runFileDialog(const FileDialogSpec& dialog, std::string* path) override;
    int trackbarPosition(int control) override { return trackbars[control]; }
    void setTrackbarPosition(int control, int position) override { trackbars[control] = position; }
    void setButtonIcon(int control, int icon) override;
    void invalidate(const Rect& area) override { invalidated.push_back(area); }
    void updateNow() override { ++updates; }
    void postClose() override { ++closes; }
    void showAbout() override { ++abouts; }

    // The commands whose menu items are enabled now, in menu order (the
    // whole Playback popup counts as greyed items when it is greyed).
    std::vector<int> enabledCommands() const;

    // Script: the next dialogs' answers (nullopt cancels) and message box
    // answers (Cancel once the script is used up); runs inside every box.
    std::deque<std::optional<std::string>> dialogAnswers;
    std::deque<MessageAnswer> messageAnswers;
    std::function<void()> duringMessage;

    // Observed.
    std::map<std::pair<MenuPopup, int>, bool> menuItems;
    bool playbackEnabled = false;
    int menuRedraws = 0;
    std::vector<std::string> messages;
    std::vector<MessageButtons> messageButtons;
    std::vector<const FileDialogSpec*> dialogs;
    std::map<int, int> trackbars;
    std::vector<std::pair<int, int>> iconChanges;
    std::vector<Rect> invalidated;
    int updates = 0;
    int closes = 0;
    int abouts = 0;
};

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file in this test's scratch folder holding `image`.
    std::string writeFile(const std::string& name, const hosttest::Image& image);
    std::string writeBytes(const std::string& name, const std::vector<uint8_t>& bytes);
    std::string scratch(const std::string& name) const;

    // A menu command whose open dialog answers `path`.
    void open(Package package, const std::string& path);
    // Samples and instruments (the host then runs), optionally music and effect.
    void openAll(bool music = true, bool effect = true);

    // Lets the host render `blocks` blocks (the fake device plays them).
    void render(uint32_t blocks);
    // The engine's channel table as the host copies it.
    std::vector<MacroChannel> channels();
    std::vector<MusicTrack> tracks();

    halvex::FakePlatform platform;
    ScriptedWindow window;
    int nativeWindow = 0;
    EngineInfo info;
    std::unique_ptr<Application> app;

    hosttest::Image samplesImage = hosttest::samplePack();
    hosttest::Image instrumentsImage = hosttest::instrumentPack();
    hosttest::Image musicImage = hosttest::tune(10);
    hosttest::Image effectImage = hosttest::loopingEffect(2000);
    std::string samplesFile, instrumentsFile, musicFile, effectFile;

private:
    std::string dir_;
    uint32_t play_ = 0;
};

}  // namespace coretest
