#include "host_window.h"

#include <windows.h>

namespace bsplay {

// A message-only window: it is never shown, needs no desktop, and is
// enough for DirectSound's cooperative level.
HostWindow::HostWindow()
{
    WNDCLASSW type{};
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"bsplay";
    RegisterClassW(&type);
    handle_ = CreateWindowW(L"bsplay", L"bsplay", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            type.hInstance, nullptr);
}

HostWindow::~HostWindow()
{
    if (handle_ != nullptr)
        DestroyWindow(static_cast<HWND>(handle_));
}

}  // namespace bsplay
