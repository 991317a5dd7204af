// A plain window that is never shown, for DirectSound's cooperative level.
#ifndef HALVEX_TESTS_HIDDEN_WINDOW_H
#define HALVEX_TESTS_HIDDEN_WINDOW_H

#include <windows.h>

namespace hosttest {

class HiddenWindow {
public:
    HiddenWindow()
    {
        WNDCLASSA type{};
        type.lpfnWndProc = DefWindowProcA;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "HalvexTestWindow";
        RegisterClassA(&type);  // fails harmlessly when it exists already
        handle_ = CreateWindowA("HalvexTestWindow", "Halvex test", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, type.hInstance, nullptr);
    }
    ~HiddenWindow()
    {
        if (handle_ != nullptr)
            DestroyWindow(handle_);
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND handle() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

}  // namespace hosttest

#endif
