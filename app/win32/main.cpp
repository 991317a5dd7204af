// Veskar on Win32: start-up, the message loop and shutdown, in the application's order.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include "app/core/command_line.h"
#include "app/win32/dialogs.h"
#include "app/win32/main_window.h"
#include "app/win32/text.h"
#include "files/command_line.h"

namespace {

using namespace veskar;

// --help and a bad command line, on the console or into the file or pipe the program was
// started with; a program started from the desktop has neither and shows a message box.
int finish(const CommandLine& line)
{
    const bool error = line.action == CommandLine::Action::Error;
    HANDLE stream = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if ((stream == nullptr || stream == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        stream = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE ||
        !WriteFile(stream, line.output.data(), static_cast<DWORD>(line.output.size()), &written, nullptr))
        MessageBoxW(nullptr, toWide(line.output).c_str(), L"Veskar", error ? MB_ICONWARNING : MB_ICONINFORMATION);
    return line.exitStatus();
}

// A start-up failure: string `id` in an ownerless box, when it has a text.
int fail(int id)
{
    const char* text = stringText(id);
    if (text != nullptr && *text != '\0')
        showMessageBox(nullptr, text, MessageButtons::Ok);
    return 0;
}

HICON loadIcon(HINSTANCE instance, int size)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int argc = __argc;
    char** argv = __argv;
    startCommandLine(&argc, &argv);
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.action != CommandLine::Action::Open)
        return finish(line);

    EngineInfo info;
    if (!HostBridge::readEngineInfo(&info))
        return fail(IDS_DLL_MISMATCH);

    HICON large = loadIcon(instance, 32);
    HICON small = loadIcon(instance, 16);
    if (!MainWindow::registerClass(instance, large, small))
        return fail(IDS_CLASS_FAILED);
    InitCommonControls();

    MainWindow window(instance);
    if (!window.create(info.channels) || !window.createControls(info.channels))
        return fail(IDS_WINDOW_FAILED);
    auto application = std::make_unique<Application>(window, window.window(), info);
    window.attach(application.get());
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    window.openPackages(line.files);
    const int code = window.run(accelerators);

    // The window is gone; the host is stopped and closed only now.
    if (large != nullptr)
        DestroyIcon(large);
    if (small != nullptr)
        DestroyIcon(small);
    application.reset();
    window.releaseDrawing();
    return code;
}
