// The window that the host is started with: on Windows, where the sound
// device is tied to a window, a window of bsplay's own that is never shown;
// elsewhere none.
#ifndef BSPLAY_HOST_WINDOW_H
#define BSPLAY_HOST_WINDOW_H

namespace bsplay {

class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // What hx_init takes; null where no window is needed (or none could be made).
    void* handle() const { return handle_; }

private:
    void* handle_ = nullptr;
};

}  // namespace bsplay

#endif
