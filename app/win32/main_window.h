// Veskar's main window on Win32: the class "VeskarClass", the window with its child controls,
// its window procedure (one handler per message), the message loop, and the core's
// WindowSystem over them.
#pragma once

#include <windows.h>

#include <memory>

#include "app/core/application.h"
#include "app/win32/controls.h"
#include "app/win32/gdi_painter.h"
#include "app/win32/package_watcher.h"

namespace veskar {

class MainWindow : public WindowSystem {
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class with the two sizes of the application's icon.
    static bool registerClass(HINSTANCE instance, HICON large, HICON small);
    // Creates the window, visible, 512 x (15 n + 261); false when it cannot.
    bool create(uint32_t channels);
    // Creates the child controls (after the window, as the control panel does).
    bool createControls(uint32_t channels);
    // Sends the window's events to `application` from now on, and starts the refresh timer.
    void attach(Application* application);
    // Opens packages as named on the command line.
    void openPackages(const PackageFiles& files);
    // Runs the message loop until the quit message; returns its code.
    int run(HACCEL accelerators);
    // After the loop: the wave view's bitmap and memory context, then the button icons.
    void releaseDrawing();

    HWND window() const { return window_; }

    // WindowSystem.
    void setMenuItemEnabled(MenuPopup popup, int position, bool enabled) override;
    void setPlaybackMenuEnabled(bool enabled) override;
    void redrawMenuBar() override;
    MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;
    bool runFileDialog(const FileDialogSpec& dialog, std::string* path) override;
    int trackbarPosition(int control) override;
    void setTrackbarPosition(int control, int position) override;
    void setButtonIcon(int control, int icon) override;
    void invalidate(const Rect& area) override;
    void updateNow() override;
    void postClose() override;
    void showAbout() override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onClose();
    LRESULT onDestroy();
    LRESULT onPaint();
    LRESULT onTimer(UINT_PTR timer);
    LRESULT onCommand(int command);
    LRESULT onHScroll();
    LRESULT onDropFiles(HDROP drop);

    // Runs one of the Application's entry points, then watches the files it has loaded since.
    template <typename Entry>
    void enter(Entry entry);

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HMENU menuBar_ = nullptr;
    HMENU popups_[3] = {};  // by MenuPopup
    bool refreshing_ = false;
    Application* application_ = nullptr;
    ChildControls controls_;
    GdiPainter painter_;
    std::unique_ptr<PackageWatcher> watcher_;
};

}  // namespace veskar
