#include "files/safe_output.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "files/open_file.h"
#include "files/windows/wide_name.h"

namespace {

int lastError()
{
    return errnoFromWindowsError(GetLastError());
}

// Where a symbolic link (a reparse point) at `path` leads, so that writing through it updates
// that file rather than replacing the link. A link that leads nowhere has no file to update and
// is refused. nullptr with *error set on failure.
char* resolveTarget(const wchar_t* name, const char* path, int* error)
{
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        char* copy = _strdup(path);
        if (!copy) *error = ENOMEM;
        return copy;
    }
    HANDLE handle = CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = lastError();
        return nullptr;
    }
    // The first call tells the length, terminating zero included.
    const DWORD needed = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
    wchar_t* final = needed ? static_cast<wchar_t*>(malloc(sizeof(wchar_t) * needed)) : nullptr;
    const DWORD length = final ? GetFinalPathNameByHandleW(handle, final, needed, FILE_NAME_NORMALIZED) : 0;
    *error = length == 0 || length >= needed ? (final ? lastError() : ENOMEM) : 0;
    CloseHandle(handle);
    char* target = *error ? nullptr : utf8FromWide(final);
    if (!target && !*error) *error = ENOMEM;
    free(final);
    return target;
}

// A stream for writing on `handle`, which it then owns; nullptr (the handle closed) on failure.
FILE* streamOf(HANDLE handle, bool binary)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | (binary ? _O_BINARY : _O_TEXT));
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* stream = _fdopen(fd, binary ? "wb" : "w");
    if (!stream) _close(fd);  // closes the handle too
    return stream;
}

// Six characters that no other run is likely to pick at the same moment; CREATE_NEW settles the
// rare collision.
void randomSuffix(char* suffix)
{
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static unsigned long long counter = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    unsigned long long mix = static_cast<unsigned long long>(now.QuadPart) ^
                             (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ull);
    for (int i = 0; i < 6; ++i) {
        mix ^= mix >> 29;
        mix *= 0xBF58476D1CE4E5B9ull;
        suffix[i] = kDigits[mix % 36];
    }
    suffix[6] = '\0';
}

}  // namespace

size_t SafeOutputFile::folderLength(const char* path)
{
    // Both slashes separate, and a drive ("C:name") ends a folder part too.
    size_t length = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '/' || path[i] == '\\' || (i == 1 && path[i] == ':')) length = i + 1;
    }
    return length;
}

int SafeOutputFile::replace(const char* temp, const char* target)
{
    const WideName from(temp);
    const WideName to(target);
    if (!from.get() || !to.get()) return ENOMEM;
    return MoveFileExW(from.get(), to.get(), MOVEFILE_REPLACE_EXISTING) ? 0 : lastError();
}

int SafeOutputFile::open(const char* path, bool binary, const char* tag)
{
    discard();
    if (!path || path[0] == '\0' || !tag) return EINVAL;
    const WideName name(path);
    if (!name.get()) return EINVAL;
    const DWORD attributes = GetFileAttributesW(name.get());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return EISDIR;
    // A name of more than 255 characters cannot exist, although its shortened temporary could.
    const WideName base(path + folderLength(path));
    if (base.get() && wcslen(base.get()) > 255) return ENAMETOOLONG;

    int error = 0;
    char* target = resolveTarget(name.get(), path, &error);
    if (!target) return error;
    const WideName wideTarget(target);
    // The final name must be writable as a file, as if it were opened for writing now: a
    // read-only file is refused, and so is a name that cannot exist although its temporary file
    // could. A pipe or a device (NUL, a named pipe) cannot be replaced: it is written into.
    HANDLE existing = wideTarget.get() ? CreateFileW(wideTarget.get(), GENERIC_WRITE,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                       : INVALID_HANDLE_VALUE;
    const DWORD targetAttributes = wideTarget.get() ? GetFileAttributesW(wideTarget.get()) : INVALID_FILE_ATTRIBUTES;
    if (existing == INVALID_HANDLE_VALUE) {
        const DWORD code = wideTarget.get() ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        if (code != ERROR_FILE_NOT_FOUND) error = errnoFromWindowsError(code);
    } else if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & FILE_ATTRIBUTE_READONLY)) {
        // Refused like a write to it would be (an administrator, or Wine as root, may open it).
        CloseHandle(existing);
        error = EACCES;
    } else if (GetFileType(existing) != FILE_TYPE_DISK) {
        free(target);
        stream_ = streamOf(existing, binary);
        return stream_ ? 0 : EIO;
    } else {
        CloseHandle(existing);
    }

    char* temp = nullptr;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && !error && handle == INVALID_HANDLE_VALUE; ++attempt) {
        char suffix[7];
        randomSuffix(suffix);
        free(temp);
        temp = temporaryName(target, tag, suffix);
        const WideName wideTemp(temp);
        if (!wideTemp.get()) {
            error = ENOMEM;
            break;
        }
        handle = CreateFileW(wideTemp.get(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) error = lastError();
    }
    if (!error && handle == INVALID_HANDLE_VALUE) error = EEXIST;
    if (!error) {
        stream_ = streamOf(handle, binary);
        if (!stream_) {
            error = EIO;
            removeFile(temp);
        }
    }
    return keep(error, temp, target);
}
