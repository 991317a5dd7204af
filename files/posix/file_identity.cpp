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
