#include "app/core/resources.h"

#include <array>
#include <cctype>

namespace veskar {

namespace {

struct StringEntry {
    int id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {IDS_INVALID_SAMPLES, " is not a valid sample package."},
    {IDS_INVALID_INSTRUMENTS, " is not a valid instrument package."},
    {IDS_INVALID_MUSIC, " is not a valid music track."},
    {IDS_DLL_MISMATCH, "Brimsel and Halvex DLLs mismatch."},
    {IDS_CLASS_FAILED, "Window Class Registration Failed."},
    {IDS_WINDOW_FAILED, "Window Creation Failed."},
    {IDS_INIT_FAILED,
     "Error initializing Halvex + Brimsel, driver could not start!\n\nEnsure your sample and "
     "instrument packages are valid\nand that DirectX + DirectSound are properly installed."},
    {IDS_LOG_FAILED, "Error starting WAV logging to the target file!"},
    // The application's own additions, in the same pattern: each follows a file name.
    {IDS_INVALID_EFFECT, " is not a valid sound effect."},
    {IDS_PACKAGE_WARNINGS, " is loaded, but may not play as meant:"},
    {IDS_FILE_UNREADABLE, " could not be read."},
    {IDS_NOT_A_PACKAGE, " is not a package: its name must end in .smp, .ins, .mus or .sfx."},
    {IDS_SECOND_PACKAGE, " is a second package of a kind already given."},
};

constexpr MenuItem kFileItems[] = {
    {"Open Sam&ples \tCrtl+P", ID_FILE_OPENSAMPLES, true},
    {"Open &Instruments \tCtrl+I", ID_FILE_OPENINSTRUMENTS, true},
    {nullptr, 0, true},
    {"&Open Music Track \tCtrl+O", ID_FILE_OPENMUSIC, false},
    {"Open Sound &Effect \tCtrl+E", ID_FILE_OPENSFX, false},
    {nullptr, 0, true},
    {"&Log Ouput (*.WAV)\tCtrl+S", ID_FILE_LOGOUTPUT, false},
    {"S&top Logging \tCtrl+T", ID_FILE_STOPLOGGING, false},
    {nullptr, 0, true},
    {"E&xit \tAlt+F4", ID_FILE_EXIT, true},
};

constexpr MenuItem kPlaybackItems[] = {
    {"&Pause + Mute", ID_PLAYBACK_PAUSE, true},
    {"&Resume", ID_PLAYBACK_RESUME, true},
    {nullptr, 0, true},
    {"&Stop All Channels \tCtrl+K", ID_PLAYBACK_STOPALL, true},
    {nullptr, 0, true},
    {"Play &Music \tSpace", ID_PLAYBACK_PLAYMUSIC, false},
    {"S&top Music \tCtrl+Space", ID_PLAYBACK_STOPMUSIC, false},
    {nullptr, 0, true},
    {"Play Sound &Effect \tX", ID_PLAYBACK_PLAYSFX, false},
    {"Stop Sound E&ffect \tCtrl+X", ID_PLAYBACK_STOPSFX, false},
};

constexpr MenuItem kHelpItems[] = {
    {"&About Veskar", ID_HELP_ABOUT, true},
};

constexpr MenuPopupResource kMainMenu[] = {
    {MenuPopup::File, "&File", true, kFileItems},
    {MenuPopup::Playback, "&Playback", false, kPlaybackItems},
    {MenuPopup::Help, "&Help", true, kHelpItems},
};

constexpr Accelerator kAccelerators[] = {
    {'E', true, ID_FILE_OPENSFX},
    {'I', true, ID_FILE_OPENINSTRUMENTS},
    {'K', true, ID_PLAYBACK_STOPALL},
    {'O', true, ID_FILE_OPENMUSIC},
    {'P', true, ID_FILE_OPENSAMPLES},
    {'S', true, ID_FILE_LOGOUTPUT},
    {'T', true, ID_FILE_STOPLOGGING},
    {' ', false, ID_PLAYBACK_PLAYMUSIC},
    {' ', true, ID_PLAYBACK_STOPMUSIC},
    {'X', false, ID_PLAYBACK_PLAYSFX},
    {'X', true, ID_PLAYBACK_STOPSFX},
};

// 186 x 87 dialog units: the icon, the text, the version group box and OK.
// clang-format off
constexpr AboutBox kAboutBox = {
    "About Veskar", "Veskar Auditioning Suite", "Version 1.0cz", "OK", 186, 87,
    Rect::sized(9, 5, 20, 20), Rect::sized(33, 7, 150, 20), Rect::sized(7, 28, 172, 34), Rect::sized(68, 66, 50, 14),
};
// clang-format on

constexpr TrackbarSetup kTrackbars[] = {
    {IDC_VOLUME_TRACKBAR, 0, 127, 16, 16, 127},
    {IDC_SFX_PRIORITY, 1, 127, 16, 16, 127},
    {IDC_SFX_PANNING, 0, 255, 32, 32, 128},
};

constexpr FileFilter kAllFiles = {"All Files (*.*)", "*.*"};
constexpr FileFilter kSampleFilters[] = {{"Sample Pack (*.smp)", "*.SMP"}, kAllFiles};
constexpr FileFilter kInstrumentFilters[] = {{"Instrument Pack (*.ins)", "*.INS"}, kAllFiles};
constexpr FileFilter kMusicFilters[] = {{"Music Track (*.mus)", "*.MUS"}, kAllFiles};
constexpr FileFilter kEffectFilters[] = {{"Sound Effect (*.sfx)", "*.SFX"}, kAllFiles};
constexpr FileFilter kLogFilters[] = {{"Sounds (*.wav)", "*.WAV"}, kAllFiles};

constexpr FileDialogSpec::Mode kOpen = FileDialogSpec::Mode::Open;

constexpr PackageResource kPackageResources[] = {
    {Package::Samples, "sample pack", "smp", ID_FILE_OPENSAMPLES, IDS_INVALID_SAMPLES, {kOpen, kSampleFilters, nullptr}},
    {Package::Instruments, "instrument pack", "ins", ID_FILE_OPENINSTRUMENTS, IDS_INVALID_INSTRUMENTS, {kOpen, kInstrumentFilters, nullptr}},
    {Package::Music, "music track", "mus", ID_FILE_OPENMUSIC, IDS_INVALID_MUSIC, {kOpen, kMusicFilters, nullptr}},
    {Package::Effect, "sound effect", "sfx", ID_FILE_OPENSFX, IDS_INVALID_EFFECT, {kOpen, kEffectFilters, nullptr}},
};

constexpr FileDialogSpec kLogDialog = {FileDialogSpec::Mode::Save, kLogFilters, "wav"};

}  // namespace

const char* stringText(int id)
{
    for (const StringEntry& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return nullptr;
}

std::span<const MenuPopupResource> mainMenu()
{
    return kMainMenu;
}

std::span<const Accelerator> accelerators()
{
    return kAccelerators;
}

const AboutBox& aboutBox()
{
    return kAboutBox;
}

int windowHeight(uint32_t channels)
{
    return 15 * static_cast<int>(channels) + 261;
}

std::vector<ChildControl> childControls(uint32_t channels)
{
    const int n = static_cast<int>(channels);
    return {
        {IDC_INFO_FRAME, ControlKind::Frame, "STATIC", "Brimsel Info Border", Rect::sized(8, 16, 304, 76), 0},
        {IDC_INFO_CAPTION, ControlKind::Caption, "STATIC", "Brimsel Info", Rect::sized(16, 0, 200, 16), 0},
        {IDC_WAVE_FRAME, ControlKind::Frame, "STATIC", "Wave View Border", Rect::sized(320, 16, 176, 76), 0},
        {IDC_WAVE_CAPTION, ControlKind::Caption, "STATIC", "Wave View", Rect::sized(328, 0, 200, 16), 0},
        {IDC_VOLUME_FRAME, ControlKind::Frame, "STATIC", "Music Volume Border", Rect::sized(8, 112, 176, 54), 0},
        {IDC_VOLUME_CAPTION, ControlKind::Caption, "STATIC", "Music Volume", Rect::sized(16, 96, 160, 16), 0},
        {IDC_VOLUME_TRACKBAR, ControlKind::Trackbar, "msctls_trackbar32", "Music Volume Trackbar",
         Rect::sized(16, 116, 160, 30), 0},
        {IDC_SFX_FRAME, ControlKind::Frame, "STATIC", "Sound Effect Manager Border",
         Rect::sized(192, 112, 304, 54), 0},
        {IDC_SFX_CAPTION, ControlKind::Caption, "STATIC", "Sound Effect Control", Rect::sized(200, 96, 200, 16), 0},
        {IDC_SFX_PLAY, ControlKind::IconButton, "BUTTON", "Sound Effect Action (Play)", Rect::sized(200, 122, 32, 32),
         IDI_PLAY_OFF},
        {IDC_SFX_STOP, ControlKind::IconButton, "BUTTON", "Sound Effect Action (Stop)", Rect::sized(236, 122, 32, 32),
         IDI_STOP_OFF},
        {IDC_SFX_PRIORITY, ControlKind::Trackbar, "msctls_trackbar32", "Sound Effect Priority Trackbar",
         Rect::sized(300, 116, 80, 30), 0},
        {IDC_SFX_PANNING, ControlKind::Trackbar, "msctls_trackbar32", "Sound Effect Panning Trackbar",
         Rect::sized(408, 116, 80, 30), 0},
        {IDC_CHANNEL_FRAME, ControlKind::Frame, "STATIC", "Channel Info Border", Rect::sized(8, 186, 488, 15 * n + 23),
         0},
        {IDC_CHANNEL_CAPTION, ControlKind::Caption, "STATIC", "Channel Status", Rect::sized(16, 170, 120, 16), 0},
    };
}

std::span<const TrackbarSetup> trackbarSetups()
{
    return kTrackbars;
}

const PackageResource& packageResource(Package package)
{
    return kPackageResources[static_cast<int>(package)];
}

bool packageOfFile(const std::string& path, Package* package)
{
    const size_t dot = path.find_last_of("./\\");
    if (dot == std::string::npos || path[dot] != '.')
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const PackageResource& resource : kPackageResources) {
        if (extension == resource.extension) {
            *package = resource.package;
            return true;
        }
    }
    return false;
}

const FileDialogSpec& logDialog()
{
    return kLogDialog;
}

}  // namespace veskar
