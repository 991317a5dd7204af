#include "app/core/command_handler.h"

#include <algorithm>

namespace veskar {

namespace {

size_t index(Package package)
{
    return static_cast<size_t>(package);
}

}  // namespace

CommandHandler::CommandHandler(WindowSystem& window, HostBridge& bridge) : window_(window), bridge_(bridge) {}

void CommandHandler::onCommand(int command)
{
    switch (command & 0xFFFF) {
    case ID_HELP_ABOUT:
        window_.showAbout();
        break;
    case ID_FILE_OPENSAMPLES:
        openWithDialog(Package::Samples);
        break;
    case ID_FILE_OPENINSTRUMENTS:
        openWithDialog(Package::Instruments);
        break;
    case ID_FILE_OPENMUSIC:
        openWithDialog(Package::Music);
        break;
    case ID_FILE_OPENSFX:
        openWithDialog(Package::Effect);
        break;
    case ID_FILE_EXIT:
        window_.postClose();
        break;
    case ID_PLAYBACK_STOPALL:
        bridge_.stopAll();
        break;
    case ID_PLAYBACK_PAUSE:
        bridge_.pause();
        break;
    case ID_PLAYBACK_RESUME:
        bridge_.resume();
        break;
    case ID_PLAYBACK_PLAYMUSIC:
        bridge_.playMusic();
        break;
    case ID_PLAYBACK_STOPMUSIC:
        bridge_.stopMusic();
        break;
    case ID_FILE_LOGOUTPUT:
        logOutput();
        break;
    case ID_FILE_STOPLOGGING:
        bridge_.closeLog();
        break;
    default:  // the effect's Play and Stop are the control panel's
        break;
    }
    commonTail();
}

void CommandHandler::openWithDialog(Package package)
{
    openPath_.clear();
    if (!window_.runFileDialog(packageResource(package).openDialog, &openPath_))
        return;
    loadAndReport(package, openPath_, Source::Dialog);
}

void CommandHandler::openPackages(const PackageFiles& files)
{
    for (Package package : kPackages)
        if (!files[package].empty())
            loadAndReport(package, files[package], Source::Named);
    commonTail();
}

void CommandHandler::reloadFile(const std::string& path)
{
    const bool musicWasPlaying = bridge_.running() && bridge_.musicPlaying();
    bool reloaded = false;
    bool musicStopped = false;
    for (Package package : kPackages) {
        if (path.empty() || opened_[package] != path)
            continue;
        reloaded = true;
        // Replacing either pack closes the host; replacing the track stops it.
        musicStopped = musicStopped || package != Package::Effect;
        loadAndReport(package, path, Source::Reload);
    }
    if (!reloaded)
        return;
    commonTail();
    if (musicWasPlaying && musicStopped)
        bridge_.playMusic();
}

std::vector<std::string> CommandHandler::watchedFiles() const
{
    std::vector<std::string> files;
    for (const std::string& path : opened_.paths)
        if (!path.empty() && std::find(files.begin(), files.end(), path) == files.end())
            files.push_back(path);
    return files;
}

void CommandHandler::loadAndReport(Package package, const std::string& path, Source source)
{
    opened_[package] = path;
    report(package, path, bridge_.load(package, path), source);
}

void CommandHandler::report(Package package, const std::string& path, const LoadResult& result, Source source)
{
    const size_t i = index(package);
    if (result.outcome == LoadResult::Outcome::Loaded) {
        failureReported_[i] = false;
        if (result.warnings.empty() || (source == Source::Reload && result.warnings == warningsShown_[i]))
            return;
        warningsShown_[i] = result.warnings;
        std::string text = path + stringText(IDS_PACKAGE_WARNINGS) + "\n";
        for (const std::string& warning : result.warnings)
            text += "\n" + warning;
        warn(text);
        return;
    }
    warningsShown_[i].clear();
    // An unreadable file chosen in a dialog is passed over in silence, as the
    // menu then shows the package missing; a file that was named, or that
    // changed under us, is reported.
    if (result.outcome == LoadResult::Outcome::Unreadable && source == Source::Dialog)
        return;
    if (source == Source::Reload && failureReported_[i])
        return;
    failureReported_[i] = source == Source::Reload;
    const int text = result.outcome == LoadResult::Outcome::Invalid ? packageResource(package).invalidText
                                                                    : IDS_FILE_UNREADABLE;
    warn(path + stringText(text));
}

void CommandHandler::logOutput()
{
    savePath_.clear();
    if (!window_.runFileDialog(logDialog(), &savePath_))
        return;
    if (bridge_.logOutput(savePath_) == kFail)
        warn(stringText(IDS_LOG_FAILED));
}

void CommandHandler::warn(const std::string& text)
{
    window_.showMessage(text, MessageButtons::Ok);
}

void CommandHandler::commonTail()
{
    if (!bridge_.running() && bridge_.samplesLoaded() && bridge_.instrumentsLoaded()) {
        while (HX_FAILED(bridge_.startHost())) {
            if (window_.showMessage(stringText(IDS_INIT_FAILED), MessageButtons::RetryCancel) != MessageAnswer::Retry)
                break;
        }
    }
    updateMenus();
    window_.redrawMenuBar();
}

void CommandHandler::updateMenus()
{
    const bool packs = bridge_.samplesLoaded() && bridge_.instrumentsLoaded();
    const bool running = bridge_.running();
    const bool logging = bridge_.logging();
    window_.setMenuItemEnabled(MenuPopup::File, 3, packs);
    window_.setMenuItemEnabled(MenuPopup::File, 4, packs);
    window_.setMenuItemEnabled(MenuPopup::File, 6, running && !logging);
    window_.setMenuItemEnabled(MenuPopup::File, 7, running && logging);
    window_.setPlaybackMenuEnabled(running);
    window_.setMenuItemEnabled(MenuPopup::Playback, 5, bridge_.musicLoaded());
    window_.setMenuItemEnabled(MenuPopup::Playback, 6, bridge_.musicLoaded());
    window_.setMenuItemEnabled(MenuPopup::Playback, 8, bridge_.effectLoaded());
    window_.setMenuItemEnabled(MenuPopup::Playback, 9, bridge_.effectLoaded());
}

}  // namespace veskar
