#include "files/file_identity.h"

#include <sys/stat.h>

namespace {

FileIdentity identityOf(const struct stat& info)
{
    return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

}  // namespace

bool identifyPath(const char* path, FileIdentity* identity)
{
    struct stat info;
    if (!path || stat(path, &info) != 0)
        return false;
    *identity = identityOf(info);
    return true;
}

bool identifyStream(FILE* stream, FileIdentity* identity)
{
    struct stat info;
    if (!stream || fstat(fileno(stream), &info) != 0)
        return false;
    *identity = identityOf(info);
    return true;
}

bool sameFile(const char* path, const char* other)
{
    FileIdentity first;
    FileIdentity second;
    return identifyPath(path, &first) && identifyPath(other, &second) && first == second;
}

bool isOpenFile(const char* path, FILE* stream)
{
    FileIdentity named;
    FileIdentity open;
    return identifyPath(path, &named) && identifyStream(stream, &open) && named == open;
}
