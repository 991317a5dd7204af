// Veskar's main window on Qt: the menus, the accelerators as shortcuts, the
// child controls, dialogs and message boxes, and the routing of its events
// to the Application.  It implements the core's WindowSystem.
#pragma once

#include <QMainWindow>
#include <QRegion>
#include <QTimer>
#include <map>
#include <vector>

#include "app/core/application.h"
#include "app/qt/package_watcher.h"

class QAction;
class QMenu;
class QPushButton;
class QSlider;

namespace veskar {

class ClientArea;

class MainWindow : public QMainWindow, public WindowSystem {
    Q_OBJECT
public:
    explicit MainWindow(const EngineInfo& info);
    ~MainWindow() override;

    // Sends the window's events to `application` from now on.
    void attach(Application* application);
    // Starts the refresh timer.
    void startRefresh();
    // Opens packages as named on the command line.
    void openPackages(const PackageFiles& files);

    // The window's parts, by the core's names.
    QMenu* menu(MenuPopup popup) const { return menus_.at(popup); }
    QAction* menuItem(MenuPopup popup, int position) const { return items_.at(popup).at(static_cast<size_t>(position)); }
    QSlider* trackbar(int control) const { return trackbars_.at(control); }
    QPushButton* button(int control) const { return buttons_.at(control); }
    ClientArea* clientArea() const { return client_; }

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

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildControls(uint32_t channels);
    // Runs one of the Application's entry points, then watches the files it
    // has loaded since.
    template <typename Entry>
    void enter(Entry entry);
    // The invalidated area, which is then valid again.
    QRegion takeInvalid();

    Application* application_ = nullptr;
    ClientArea* client_;
    std::map<MenuPopup, QMenu*> menus_;
    std::map<MenuPopup, std::vector<QAction*>> items_;
    std::map<int, QSlider*> trackbars_;
    std::map<int, QPushButton*> buttons_;
    QRegion controls_;  // what the child controls show over the client area
    QRegion invalid_;
    QTimer refresh_;
    PackageWatcher watcher_;
};

}  // namespace veskar
