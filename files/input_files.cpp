#include "files/input_files.h"

#include <new>

bool InputFiles::add(const FileIdentity& identity)
{
    try {
        files_.insert(identity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool InputFiles::add(FILE* stream)
{
    FileIdentity identity;
    return !identifyStream(stream, &identity) || add(identity);
}

bool InputFiles::add(const char* path)
{
    FileIdentity identity;
    return !identifyPath(path, &identity) || add(identity);
}

bool InputFiles::contains(const char* path) const
{
    FileIdentity identity;
    return identifyPath(path, &identity) && files_.count(identity) != 0;
}
