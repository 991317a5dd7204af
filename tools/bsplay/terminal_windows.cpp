#include "terminal.h"

#include <windows.h>

namespace bsplay {

struct Terminal::SavedMode {
    DWORD mode;
};

namespace {

HANDLE input()
{
    return GetStdHandle(STD_INPUT_HANDLE);
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

}  // namespace

Terminal::Terminal()
{
    DWORD saved = 0;
    if (!isConsole(input()) || !GetConsoleMode(input(), &saved))
        return;
    // Keys arrive one at a time and unechoed; Ctrl+C still interrupts
    // (processed input).
    DWORD raw = (saved & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) |
                ENABLE_PROCESSED_INPUT;
    if (SetConsoleMode(input(), raw))
        saved_.reset(new SavedMode{saved});
}

Terminal::~Terminal()
{
    if (saved_)
        SetConsoleMode(input(), saved_->mode);
}

int Terminal::readKey(int timeoutMs)
{
    if (!saved_) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return -1;
    }
    // The console's input holds mouse, focus and key-up events too: they are
    // read and passed over until a key goes down or the time is up.
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until || WaitForSingleObject(input(), static_cast<DWORD>(until - now)) != WAIT_OBJECT_0)
            return -1;
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputW(input(), &record, 1, &read) || read != 1)
            return -1;
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown)
            continue;
        const wchar_t key = record.Event.KeyEvent.uChar.UnicodeChar;
        if (key != 0 && key < 128)
            return key;
    }
}

bool Terminal::inputIsTerminal()
{
    return isConsole(input());
}

bool Terminal::statusVisible()
{
    return isConsole(GetStdHandle(STD_OUTPUT_HANDLE));
}

}  // namespace bsplay
