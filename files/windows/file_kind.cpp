#include "files/file_kind.h"

#include <windows.h>

#include "files/windows/wide_name.h"

FileKind fileKind(const char* path, bool followLinks)
{
    const WideName name(path);
    if (!name.get()) return FileKind::missing;
    if (!followLinks) {
        const DWORD attributes = GetFileAttributesW(name.get());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return FileKind::link;
    }
    // Opened without access rights, which works for files that others hold open, folders
    // (FILE_FLAG_BACKUP_SEMANTICS), named pipes (\\.\pipe\...) and devices (NUL, CON). A pipe
    // that has no free instance does not open: it is still a pipe.
    HANDLE handle = CreateFileW(name.get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_PIPE_BUSY ? FileKind::pipe : FileKind::missing;
    FileKind kind = FileKind::other;
    BY_HANDLE_FILE_INFORMATION info;
    switch (GetFileType(handle)) {
    case FILE_TYPE_PIPE: kind = FileKind::pipe; break;
    case FILE_TYPE_DISK:
        if (GetFileInformationByHandle(handle, &info))
            kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::folder : FileKind::regular;
        break;
    default: break;
    }
    CloseHandle(handle);
    return kind;
}
