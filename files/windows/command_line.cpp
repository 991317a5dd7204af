#include "files/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "files/windows/wide_name.h"

namespace {

UINT gConsoleOutputPage = 0;

void restoreConsoleOutputPage()
{
    SetConsoleOutputCP(gConsoleOutputPage);
}

}  // namespace

void startCommandLine(int* argc, char*** argv)
{
    setvbuf(stderr, nullptr, _IONBF, 0);
    gConsoleOutputPage = GetConsoleOutputCP();
    if (gConsoleOutputPage != 0 && gConsoleOutputPage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        atexit(restoreConsoleOutputPage);

    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return;
    // The program's arguments keep their ANSI form if any of them cannot be converted.
    char** utf8 = static_cast<char**>(calloc(static_cast<size_t>(count) + 1, sizeof(char*)));
    bool complete = utf8 != nullptr && count == *argc;
    for (int i = 0; complete && i < count; ++i) {
        utf8[i] = utf8FromWide(wide[i]);
        complete = utf8[i] != nullptr;
    }
    LocalFree(wide);
    if (complete) {
        *argv = utf8;  // lives until the program ends
        return;
    }
    for (int i = 0; utf8 && i < count; ++i) free(utf8[i]);
    free(utf8);
}
