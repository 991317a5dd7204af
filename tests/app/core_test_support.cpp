#include "core_test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/host_start.h"

namespace veskar {

void PrintTo(const Rect& rect, std::ostream* out)
{
    *out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ")";
}

void PrintTo(const Colour& colour, std::ostream* out)
{
    static const char* const kinds[] = {"window text", "button shadow", "rgb"};
    *out << kinds[static_cast<int>(colour.kind)];
    if (colour.kind == Colour::Kind::Rgb)
        *out << "(" << int(colour.red) << ", " << int(colour.green) << ", " << int(colour.blue) << ")";
}

void PrintTo(const TextCell& cell, std::ostream* out)
{
    static const char* const layouts[] = {"point", "wrapped", "right"};
    PrintTo(cell.rect, out);
    *out << " \"" << cell.text << "\" ";
    PrintTo(cell.colour, out);
    *out << " " << layouts[static_cast<int>(cell.layout)];
}

}  // namespace veskar

namespace coretest {

namespace {

halvex::FakePlatform* g_platform = nullptr;

HXRESULT startOnFakePlatform(void* window, const uint8_t* samples, uint32_t samplesSize, const uint8_t* instruments,
                             uint32_t instrumentsSize)
{
    return halvex::initHostSized(*g_platform, window, samples, samplesSize, instruments, instrumentsSize);
}

}  // namespace

ScriptedWindow::ScriptedWindow()
{
    for (const MenuPopupResource& popup : mainMenu()) {
        for (size_t i = 0; i < popup.items.size(); ++i)
            if (!popup.items[i].separator())
                menuItems[{popup.popup, static_cast<int>(i)}] = popup.items[i].enabled;
        if (popup.popup == MenuPopup::Playback)
            playbackEnabled = popup.enabled;
    }
    for (const TrackbarSetup& setup : trackbarSetups())
        trackbars[setup.id] = setup.initial;
}

void ScriptedWindow::setMenuItemEnabled(MenuPopup popup, int position, bool enabled)
{
    auto item = menuItems.find({popup, position});
    ASSERT_NE(item, menuItems.end()) << "no item at position " << position;
    item->second = enabled;
}

MessageAnswer ScriptedWindow::showMessage(const std::string& text, MessageButtons buttons)
{
    messages.push_back(text);
    messageButtons.push_back(buttons);
    if (duringMessage)
        duringMessage();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (messageAnswers.empty())
        return MessageAnswer::Cancel;
    const MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

bool ScriptedWindow::runFileDialog(const FileDialogSpec& dialog, std::string* path)
{
    dialogs.push_back(&dialog);
    EXPECT_TRUE(path->empty()) << "the path buffer is emptied before each dialog";
    if (dialogAnswers.empty() || !dialogAnswers.front()) {
        if (!dialogAnswers.empty())
            dialogAnswers.pop_front();
        return false;
    }
    *path = *dialogAnswers.front();
    dialogAnswers.pop_front();
    return true;
}

void ScriptedWindow::setButtonIcon(int control, int icon)
{
    iconChanges.emplace_back(control, icon);
}

std::vector<int> ScriptedWindow::enabledCommands() const
{
    std::vector<int> commands;
    for (const MenuPopupResource& popup : mainMenu()) {
        for (size_t i = 0; i < popup.items.size(); ++i) {
            if (popup.items[i].separator() || (popup.popup == MenuPopup::Playback && !playbackEnabled))
                continue;
            if (menuItems.at({popup.popup, static_cast<int>(i)}))
                commands.push_back(popup.items[i].command);
        }
    }
    return commands;
}

void CoreTest::SetUp()
{
    hx_close();
    g_platform = &platform;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    dir_ = ::testing::TempDir() + "veskar_" + name + "_" + std::to_string(getpid()) + "/";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ASSERT_TRUE(HostBridge::readEngineInfo(&info));
    samplesFile = writeFile("song.smp", samplesImage);
    instrumentsFile = writeFile("song.ins", instrumentsImage);
    musicFile = writeFile("song.mus", musicImage);
    effectFile = writeFile("shot.sfx", effectImage);
    app = std::make_unique<Application>(window, &nativeWindow, info, &startOnFakePlatform);
}

void CoreTest::TearDown()
{
    app.reset();
    EXPECT_EQ(platform.device, nullptr) << "the host is closed at shutdown";
    hx_close();
    bs_resume();  // the engine's pause flag survives bs_init
    g_platform = nullptr;
    std::filesystem::remove_all(dir_);
}

std::string CoreTest::scratch(const std::string& name) const
{
    return dir_ + name;
}

std::string CoreTest::writeBytes(const std::string& name, const std::vector<uint8_t>& bytes)
{
    // Written beside, then renamed over, as bscomp replaces its outputs.
    const std::string path = scratch(name);
    {
        std::ofstream out(path + ".new", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::rename(path + ".new", path);
    return path;
}

std::string CoreTest::writeFile(const std::string& name, const hosttest::Image& image)
{
    return writeBytes(name, std::vector<uint8_t>(image.data(), image.data() + image.size()));
}

void CoreTest::open(Package package, const std::string& path)
{
    window.dialogAnswers.push_back(path);
    app->onCommand(packageResource(package).openCommand);
}

void CoreTest::openAll(bool music, bool effect)
{
    open(Package::Samples, samplesFile);
    open(Package::Instruments, instrumentsFile);
    if (music)
        open(Package::Music, musicFile);
    if (effect)
        open(Package::Effect, effectFile);
    ASSERT_TRUE(app->bridge().running());
}

void CoreTest::render(uint32_t blocks)
{
    ASSERT_NE(platform.device, nullptr) << "the host does not run";
    auto tickAt = [&](uint32_t play, uint32_t write) {
        const uint32_t buffer = platform.bufferBytes;
        platform.device->setCursors(play % buffer, write % buffer);
        ASSERT_TRUE(platform.tick());
    };
    uint32_t rendered = 0;
    hx_getState(nullptr, nullptr, nullptr, nullptr, &rendered, nullptr, nullptr);
    if (rendered == 0) {
        // A host just started: its first tick fills the four blocks of the ring.
        tickAt(0, 0);
        play_ = 4 * BS_BLOCK_BYTES;
    }
    for (uint32_t i = 0; i < blocks; ++i) {
        play_ += BS_BLOCK_BYTES;
        tickAt(play_, play_ + 960);
    }
}

std::vector<MacroChannel> CoreTest::channels()
{
    std::vector<MacroChannel> table(BS_CHANNELS);
    hx_copyState(nullptr, table.data(), nullptr, nullptr, nullptr, nullptr);
    return table;
}

std::vector<MusicTrack> CoreTest::tracks()
{
    std::vector<MusicTrack> table(BS_CHANNELS);
    hx_copyState(nullptr, nullptr, table.data(), nullptr, nullptr, nullptr);
    return table;
}

}  // namespace coretest
