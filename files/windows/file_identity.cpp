#include "files/file_identity.h"

#include <io.h>
#include <windows.h>

#include "files/windows/wide_name.h"

// A file's identity on Windows is the volume's serial number and the file's index on it. (The
// C runtime's st_ino is always 0 there: every file would look like every other.)
namespace {

bool identifyHandle(HANDLE handle, FileIdentity* identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
    *identity = FileIdentity{info.dwVolumeSerialNumber,
                             static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return true;
}

}  // namespace

bool identifyPath(const char* path, FileIdentity* identity)
{
    const WideName name(path);
    if (!name.get()) return false;
    // No access rights asked, so even a file that another program holds open can be identified;
    // FILE_FLAG_BACKUP_SEMANTICS lets folders open too. Links are followed.
    HANDLE handle = CreateFileW(name.get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = identifyHandle(handle, identity);
    CloseHandle(handle);
    return known;
}

bool identifyStream(FILE* stream, FileIdentity* identity)
{
    if (!stream) return false;
    const int fd = _fileno(stream);
    if (fd < 0) return false;
    return identifyHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), identity);
}
