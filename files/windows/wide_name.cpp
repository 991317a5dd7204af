#include "files/windows/wide_name.h"

#include <windows.h>

#include <cerrno>

WideName::WideName(const char* utf8)
{
    if (!utf8) return;
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (length <= 0) return;
    text_ = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * static_cast<size_t>(length)));
    if (text_ && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, text_, length) != length) {
        std::free(text_);
        text_ = nullptr;
    }
}

char* utf8FromWide(const wchar_t* text)
{
    if (!text) return nullptr;
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return nullptr;
    char* utf8 = static_cast<char*>(std::malloc(static_cast<size_t>(length)));
    if (utf8 && WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, length, nullptr, nullptr) != length) {
        std::free(utf8);
        utf8 = nullptr;
    }
    return utf8;
}

int errnoFromWindowsError(unsigned long code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}
