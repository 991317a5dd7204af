// What a name leads to, told without opening it, so that a writer can refuse a name that could
// never hold its output (a pipe never lets it go back to write a header) or that it must not
// touch (a link to somewhere else).
#pragma once

enum class FileKind {
    missing,  // nothing there, or it cannot be told
    regular,
    folder,
    link,  // a symbolic link or another reparse point (only when links are not followed)
    pipe,  // a pipe or a socket
    other  // a device
};

// The kind of what `path` names; with `followLinks` the kind of what a link leads to.
FileKind fileKind(const char* path, bool followLinks);
