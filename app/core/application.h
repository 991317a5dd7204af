// The application as its main window sees it: the four long-lived objects
// (HostBridge, CommandHandler, ControlPanel, ChannelStatusView) and the entry
// points a front end calls from its window's events.
//
// A front end, in order:
//   1. parseCommandLine; on Help or Error print CommandLine::output and exit
//      with exitStatus(), before any window.
//   2. HostBridge::readEngineInfo; on false show stringText(IDS_DLL_MISMATCH)
//      in an ownerless warning box and exit with status 0.
//   3. Build the main window (kWindowWidth x windowHeight(n), the menus of
//      mainMenu(), accelerators(), childControls(n), trackbarSetups()) and its
//      WindowSystem; then construct Application; then start a
//      kRefreshMilliseconds timer calling onTimer; then openPackages with the
//      command line's files.
//   4. Route events: commands (menu items, accelerators, the two buttons by
//      their ids) to onCommand, every trackbar notification to onHScroll,
//      paints to paint, dropped files to openDropped, changes on disk of
//      watchedFiles() to onFileChanged.
//   5. After the window is gone, destroy Application (or call shutdown): it
//      stops and closes the host and frees the packages, and touches the
//      WindowSystem no more.
#pragma once

#include <string>
#include <vector>

#include "app/core/command_handler.h"
#include "app/core/control_panel.h"
#include "app/core/host_bridge.h"
#include "app/core/paint_output.h"
#include "app/core/status_views.h"
#include "app/core/window_system.h"

namespace veskar {

class Application {
public:
    // `hostWindow` goes to the host's start (the HWND on Windows; may be null
    // elsewhere).  `start` starts the host (tests pass a scripted platform's).
    Application(WindowSystem& window, void* hostWindow, const EngineInfo& info,
                HostBridge::StartFunction start = hx_initSized);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // A command id: CommandHandler handles it first, then ControlPanel.
    void onCommand(int command);
    // A notification of any trackbar, whatever the scroll code.
    void onHScroll();
    // The refresh timer: while the host runs, invalidates the live areas and
    // repaints them at once; otherwise does nothing.
    void onTimer();
    // Everything the window shows beyond its controls, from one consistent
    // copy of the host's state.  Valid until the next call.
    const Painting& paint();

    // Opens packages as if chosen in their dialogs (see CommandHandler).
    void openPackages(const PackageFiles& files);
    // Files dropped on the window: opened as if named on the command line;
    // a file of no known kind, or a second of a kind, is shown in a message
    // box and nothing is opened.
    void openDropped(const std::vector<std::string>& paths);
    // A watched file changed on disk (rewritten, replaced or removed).
    // Changes that arrive while a command is under way (in one of its message
    // boxes or dialogs) are handled when it has finished.
    void onFileChanged(const std::string& path);
    // The package files to watch for changes; may change after any entry
    // point.
    std::vector<std::string> watchedFiles() const { return commands_.watchedFiles(); }

    void shutdown() { bridge_.shutdown(); }

    HostBridge& bridge() { return bridge_; }
    ControlPanel& controlPanel() { return controls_; }
    const ChannelStatusView& channelStatusView() const { return channels_; }

private:
    template <typename Work>
    void run(Work work);

    WindowSystem& window_;
    HostBridge bridge_;
    CommandHandler commands_;
    ControlPanel controls_;
    ChannelStatusView channels_;
    HostSnapshot snapshot_;
    Painting painting_;
    int depth_ = 0;
    std::vector<std::string> changedFiles_;
};

}  // namespace veskar
