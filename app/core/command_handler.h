// CommandHandler: what the menu and accelerator commands do, the common tail
// that every command ends with (starting the host once both packs are loaded,
// and the menu states), and the same loads for files named on the command
// line, dropped on the window or rewritten on disk.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/core/host_bridge.h"
#include "app/core/resources.h"
#include "app/core/window_system.h"

namespace veskar {

class CommandHandler {
public:
    CommandHandler(WindowSystem& window, HostBridge& bridge);

    // One command of the main window (menu item, accelerator or button); ids
    // it does not handle go straight to the common tail.
    void onCommand(int command);

    // Opens the files given as if each were chosen in its open dialog, in the
    // order sample pack, instrument pack, music track, sound effect; then runs
    // the common tail once.  A file that cannot be read says so (no dialog
    // has vouched for it).
    void openPackages(const PackageFiles& files);

    // The file at `path` has changed on disk: every package last opened from
    // it is loaded again by the steps of its open command, then the common
    // tail runs; music that was playing, and that the reload stopped, starts
    // again from its beginning.  A failure leaves the package unloaded and is
    // reported once, until a load of that package succeeds again.
    void reloadFile(const std::string& path);

    // The files of the packages opened so far (one per kind, whatever the
    // outcome of the last open), for the front end to watch.
    std::vector<std::string> watchedFiles() const;

private:
    enum class Source {
        Dialog,
        Named,
        Reload
    };

    void openWithDialog(Package package);
    void loadAndReport(Package package, const std::string& path, Source source);
    void report(Package package, const std::string& path, const LoadResult& result, Source source);
    void logOutput();
    void commonTail();
    void updateMenus();
    void warn(const std::string& text);

    WindowSystem& window_;
    HostBridge& bridge_;
    std::string openPath_;
    std::string savePath_;
    PackageFiles opened_;
    // Per package: a failed reload was reported; the warnings last shown.
    std::array<bool, kPackageKinds> failureReported_{};
    std::array<std::vector<std::string>, kPackageKinds> warningsShown_;
};

}  // namespace veskar
