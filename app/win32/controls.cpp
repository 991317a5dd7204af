#include "app/win32/controls.h"

#include <commctrl.h>

#include "app/core/resources.h"
#include "app/win32/text.h"

namespace veskar {

namespace {

DWORD styleOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Frame:
        return SS_ETCHEDFRAME;
    case ControlKind::Caption:
        return SS_LEFT;
    case ControlKind::Trackbar:
        return TBS_HORZ | TBS_AUTOTICKS;
    case ControlKind::IconButton:
        break;
    }
    return BS_PUSHBUTTON | BS_ICON;
}

void setUp(HWND trackbar, const TrackbarSetup& setup)
{
    SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(setup.minimum, setup.maximum));
    SendMessageW(trackbar, TBM_SETPAGESIZE, 0, setup.pageSize);
    SendMessageW(trackbar, TBM_SETTICFREQ, static_cast<WPARAM>(setup.tickFrequency), 0);
    SendMessageW(trackbar, TBM_SETPOS, TRUE, setup.initial);
}

}  // namespace

ChildControls::~ChildControls()
{
    releaseIcons();
}

bool ChildControls::create(HWND parent, HINSTANCE instance, uint32_t channels)
{
    for (const ChildControl& control : childControls(channels)) {
        const Rect& r = control.rect;
        HWND window = CreateWindowExW(0, toWide(control.className).c_str(), toWide(control.creationText).c_str(),
                                      WS_CHILD | WS_VISIBLE | styleOf(control.kind), r.left, r.top, r.width(),
                                      r.height(), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                      instance, nullptr);
        if (window == nullptr)
            return false;
        switch (control.kind) {
        case ControlKind::Frame:
            SetWindowTextW(window, L"");
            break;
        case ControlKind::Caption:
            break;
        case ControlKind::Trackbar:
            for (const TrackbarSetup& setup : trackbarSetups())
                if (setup.id == control.id)
                    setUp(window, setup);
            trackbars_[control.id] = window;
            // The button icons are loaded once the volume trackbar stands.
            if (control.id == IDC_VOLUME_TRACKBAR)
                loadIcons(instance);
            break;
        case ControlKind::IconButton:
            buttons_[control.id] = window;
            setButtonIcon(control.id, control.initialIcon);
            break;
        }
    }
    return true;
}

void ChildControls::loadIcons(HINSTANCE instance)
{
    for (int id : {IDI_PLAY, IDI_PLAY_OFF, IDI_STOP, IDI_STOP_OFF})
        icons_[id] = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

int ChildControls::trackbarPosition(int control) const
{
    return static_cast<int>(SendMessageW(trackbars_.at(control), TBM_GETPOS, 0, 0));
}

void ChildControls::setTrackbarPosition(int control, int position)
{
    SendMessageW(trackbars_.at(control), TBM_SETPOS, TRUE, position);
}

void ChildControls::setButtonIcon(int control, int icon)
{
    SendMessageW(buttons_.at(control), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icons_[icon]));
}

void ChildControls::releaseIcons()
{
    for (int id : {IDI_PLAY, IDI_PLAY_OFF, IDI_STOP, IDI_STOP_OFF}) {
        auto icon = icons_.find(id);
        if (icon != icons_.end() && icon->second != nullptr)
            DestroyIcon(icon->second);
    }
    icons_.clear();
}

}  // namespace veskar
