#include "files/file_identity.h"

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
