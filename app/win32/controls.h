// The main window's child controls, made from the core's table: etched frames (whose creation
// text is then replaced by ""), captions, trackbars with their settings, and the two icon
// buttons with the four icons they show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

namespace veskar {

class ChildControls {
public:
    ChildControls() = default;
    ~ChildControls();
    ChildControls(const ChildControls&) = delete;
    ChildControls& operator=(const ChildControls&) = delete;

    // Creates every control in the table's order (false when one cannot be made).
    bool create(HWND parent, HINSTANCE instance, uint32_t channels);

    int trackbarPosition(int control) const;
    void setTrackbarPosition(int control, int position);
    // `icon`: IDI_PLAY, IDI_PLAY_OFF, IDI_STOP or IDI_STOP_OFF.
    void setButtonIcon(int control, int icon);

    // The four button icons, destroyed in the order IDI_PLAY, IDI_PLAY_OFF, IDI_STOP,
    // IDI_STOP_OFF (also by the destructor).
    void releaseIcons();

private:
    void loadIcons(HINSTANCE instance);

    std::map<int, HWND> trackbars_;
    std::map<int, HWND> buttons_;
    std::map<int, HICON> icons_;
};

}  // namespace veskar
