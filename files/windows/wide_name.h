// UTF-8 names for the wide-character calls of Windows, and Windows errors as errno values, so
// that the callers of the file layer see the same names and codes on every system.
#pragma once

#include <cstdlib>

class WideName {
public:
    // Empty (get() is nullptr) when `utf8` is missing, not valid UTF-8, or there is no memory.
    explicit WideName(const char* utf8);
    ~WideName() { std::free(text_); }
    WideName(const WideName&) = delete;
    WideName& operator=(const WideName&) = delete;

    const wchar_t* get() const { return text_; }

private:
    wchar_t* text_ = nullptr;
};

// A malloc'd UTF-8 copy of a UTF-16 text; nullptr when it cannot be made.
char* utf8FromWide(const wchar_t* text);

// The errno value closest to a Windows error code (GetLastError), EIO for the rest.
int errnoFromWindowsError(unsigned long code);
