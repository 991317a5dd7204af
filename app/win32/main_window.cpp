#include "app/win32/main_window.h"

#include <shellapi.h>

#include "app/win32/dialogs.h"
#include "app/win32/text.h"

namespace veskar {

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance)
{
}

MainWindow::~MainWindow()
{
    if (window_ != nullptr)
        DestroyWindow(window_);
}

bool MainWindow::registerClass(HINSTANCE instance, HICON large, HICON small)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = large;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    windowClass.lpszClassName = L"VeskarClass";
    windowClass.hIconSm = small;
    return RegisterClassExW(&windowClass) != 0;
}

bool MainWindow::create(uint32_t channels)
{
    window_ = CreateWindowExW(0, toWide(kWindowClass).c_str(), toWide(kWindowTitle).c_str(),
                              WS_VISIBLE | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth,
                              windowHeight(channels), nullptr, nullptr, instance_, this);
    if (window_ == nullptr)
        return false;
    menuBar_ = GetMenu(window_);
    for (int position = 0; position < 3; ++position)
        popups_[position] = GetSubMenu(menuBar_, position);
    DragAcceptFiles(window_, TRUE);
    watcher_ = std::make_unique<PackageWatcher>(
        window_, [this](const std::string& path) { enter([&] { application_->onFileChanged(path); }); });
    return true;
}

bool MainWindow::createControls(uint32_t channels)
{
    return controls_.create(window_, instance_, channels);
}

void MainWindow::attach(Application* application)
{
    application_ = application;
    refreshing_ = SetTimer(window_, IDT_REFRESH, kRefreshMilliseconds, nullptr) != 0;
}

void MainWindow::openPackages(const PackageFiles& files)
{
    enter([&] { application_->openPackages(files); });
}

template <typename Entry>
void MainWindow::enter(Entry entry)
{
    entry();
    watcher_->watch(application_->watchedFiles());
}

int MainWindow::run(HACCEL accelerators)
{
    // GetMessage's loop, which also wakes for the package folders' change notifications.
    for (;;) {
        const std::vector<HANDLE>& handles = watcher_->handles();
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woken = MsgWaitForMultipleObjects(count, handles.data(), FALSE, INFINITE, QS_ALLINPUT);
        if (woken < WAIT_OBJECT_0 + count) {
            watcher_->signalled(woken - WAIT_OBJECT_0);
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            if (!TranslateAcceleratorW(window_, accelerators, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}

void MainWindow::releaseDrawing()
{
    painter_.release();
    controls_.releaseIcons();
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Until the application is attached (and while the window is made) only the defaults apply.
    if (self == nullptr || self->application_ == nullptr)
        return message == WM_DESTROY ? (PostQuitMessage(0), 0) : DefWindowProcW(window, message, wParam, lParam);
    return self->dispatch(message, wParam, lParam);
}

LRESULT MainWindow::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        return onClose();
    case WM_DESTROY:
        return onDestroy();
    case WM_PAINT:
        return onPaint();
    case WM_TIMER:
        return onTimer(wParam);
    case WM_COMMAND:
        return onCommand(LOWORD(wParam));
    case WM_HSCROLL:
        return onHScroll();
    case WM_DROPFILES:
        return onDropFiles(reinterpret_cast<HDROP>(wParam));
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT MainWindow::onClose()
{
    DestroyWindow(window_);
    return 0;
}

LRESULT MainWindow::onDestroy()
{
    if (refreshing_)
        KillTimer(window_, IDT_REFRESH);
    KillTimer(window_, PackageWatcher::kQuietTimer);
    PostQuitMessage(0);
    window_ = nullptr;
    return 0;
}

LRESULT MainWindow::onPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (dc != nullptr)
        painter_.paint(dc, *application_);
    EndPaint(window_, &paint);
    return 0;
}

LRESULT MainWindow::onTimer(UINT_PTR timer)
{
    if (timer == IDT_REFRESH)
        application_->onTimer();
    else if (timer == PackageWatcher::kQuietTimer)
        watcher_->report();
    return 0;
}

LRESULT MainWindow::onCommand(int command)
{
    enter([&] { application_->onCommand(command); });
    return 0;
}

LRESULT MainWindow::onHScroll()
{
    enter([&] { application_->onHScroll(); });
    return 0;
}

LRESULT MainWindow::onDropFiles(HDROP drop)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size()));
        paths.push_back(fromWide(name.c_str()));
    }
    DragFinish(drop);
    enter([&] { application_->openDropped(paths); });
    return 0;
}

void MainWindow::setMenuItemEnabled(MenuPopup popup, int position, bool enabled)
{
    EnableMenuItem(popups_[static_cast<int>(popup)], static_cast<UINT>(position),
                   MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::setPlaybackMenuEnabled(bool enabled)
{
    EnableMenuItem(menuBar_, 1, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::redrawMenuBar()
{
    DrawMenuBar(window_);
}

MessageAnswer MainWindow::showMessage(const std::string& text, MessageButtons buttons)
{
    return showMessageBox(window_, text, buttons);
}

bool MainWindow::runFileDialog(const FileDialogSpec& dialog, std::string* path)
{
    return veskar::runFileDialog(window_, dialog, path);
}

int MainWindow::trackbarPosition(int control)
{
    return controls_.trackbarPosition(control);
}

void MainWindow::setTrackbarPosition(int control, int position)
{
    controls_.setTrackbarPosition(control, position);
}

void MainWindow::setButtonIcon(int control, int icon)
{
    controls_.setButtonIcon(control, icon);
}

void MainWindow::invalidate(const Rect& area)
{
    const RECT rect = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(window_, &rect, FALSE);
}

void MainWindow::updateNow()
{
    UpdateWindow(window_);
}

void MainWindow::postClose()
{
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void MainWindow::showAbout()
{
    showAboutBox(instance_, window_);
}

}  // namespace veskar
