#include "files/open_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "files/windows/wide_name.h"

FILE* openFile(const char* path, const char* mode)
{
    const WideName name(path);
    const WideName wideMode(mode);
    FILE* file = name.get() && wideMode.get() ? _wfopen(name.get(), wideMode.get()) : nullptr;
    // A folder does not open here; say so rather than "Permission denied".
    if (!file && name.get()) {
        const DWORD attributes = GetFileAttributesW(name.get());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) errno = EISDIR;
    }
    return file;
}

bool removeFile(const char* path)
{
    const WideName name(path);
    return name.get() && DeleteFileW(name.get());
}

bool truncateFile(FILE* stream, uint64_t bytes)
{
    // _chsize_s takes 64-bit sizes (_chsize stops at 2 GiB) and sets errno.
    return stream && _chsize_s(_fileno(stream), static_cast<__int64>(bytes)) == 0;
}

FILE* openInputFile(const char* path, bool allowPipe)
{
    const WideName name(path);
    if (!name.get()) return nullptr;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open at all.
    HANDLE handle = CreateFileW(name.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    // A device such as NUL or CON is of the character type.
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK && !(allowPipe && type == FILE_TYPE_PIPE)) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(fd, "rb");
    if (!file) _close(fd);  // closes the handle too
    return file;
}
