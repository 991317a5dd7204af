// What the application's logic needs of a window system.  Each front end (Qt,
// Win32) implements it once over its main window; tests script it.  Every call
// comes from the window thread, inside one of the Application entry points.
#pragma once

#include <string>

#include "app/core/rect.h"
#include "app/core/resources.h"

namespace veskar {

enum class MessageButtons {
    Ok,
    RetryCancel
};
enum class MessageAnswer {
    Ok,
    Retry,
    Cancel
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Menus.  Items are addressed by position in their popup, separators
    // counted, as mainMenu() lists them; an item is either enabled or greyed.
    virtual void setMenuItemEnabled(MenuPopup popup, int position, bool enabled) = 0;
    // The whole Playback popup (position 1 of the menu bar).
    virtual void setPlaybackMenuEnabled(bool enabled) = 0;
    // Shows the menu changes of the last command.
    virtual void redrawMenuBar() = 0;

    // A modal message box owned by the main window, with the warning icon and
    // the system's default caption.  With MessageButtons::Ok the answer is Ok.
    virtual MessageAnswer showMessage(const std::string& text, MessageButtons buttons) = 0;

    // Runs a modal open or save dialog as `dialog` describes (an open dialog
    // takes only an existing file; a save dialog asks before overwriting and
    // appends the default extension to a name without one).  False when the
    // user cancels; else *path is the file chosen.
    virtual bool runFileDialog(const FileDialogSpec& dialog, std::string* path) = 0;

    // Trackbars by control id (IDC_VOLUME_TRACKBAR, IDC_SFX_PRIORITY,
    // IDC_SFX_PANNING).  Setting the position redraws the trackbar and sends
    // no scroll notification back.
    virtual int trackbarPosition(int control) = 0;
    virtual void setTrackbarPosition(int control, int position) = 0;

    // Shows icon `icon` (IDI_PLAY, IDI_PLAY_OFF, IDI_STOP, IDI_STOP_OFF) on
    // button `control` (IDC_SFX_PLAY, IDC_SFX_STOP).
    virtual void setButtonIcon(int control, int icon) = 0;

    // Marks an area for repainting, without erasing it.
    virtual void invalidate(const Rect& area) = 0;
    // Repaints the invalidated areas now, before returning.
    virtual void updateNow() = 0;

    // Asks the main window to close, as its close box would (after the
    // current command has returned).
    virtual void postClose() = 0;
    // Shows the About box modally over the main window.
    virtual void showAbout() = 0;
};

}  // namespace veskar
