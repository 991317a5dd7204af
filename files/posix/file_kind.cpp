#include "files/file_kind.h"

#include <sys/stat.h>

FileKind fileKind(const char* path, bool followLinks)
{
    struct stat info;
    if (!path || (followLinks ? stat(path, &info) : lstat(path, &info)) != 0) return FileKind::missing;
    if (S_ISREG(info.st_mode)) return FileKind::regular;
    if (S_ISDIR(info.st_mode)) return FileKind::folder;
    if (S_ISLNK(info.st_mode)) return FileKind::link;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FileKind::pipe;
    return FileKind::other;
}
