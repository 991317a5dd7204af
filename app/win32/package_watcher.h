// Watches the loaded package files for changes on disk through change notifications on the
// folders that hold them.
//
// bscomp replaces a package by renaming a new file over it, so the folder is watched and a file
// counts as changed when its size or time of last writing differs from those last seen.  A change
// is reported once the file has been left alone for a moment (timer IDT_RELOAD on the main
// window), so that a program writing it in place is not caught half way.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace veskar {

class PackageWatcher {
public:
    using Changed = std::function<void(const std::string& path)>;

    PackageWatcher(HWND window, Changed changed);
    ~PackageWatcher();
    PackageWatcher(const PackageWatcher&) = delete;
    PackageWatcher& operator=(const PackageWatcher&) = delete;

    // Watches exactly `files` (as the core names them) from now on.
    void watch(const std::vector<std::string>& files);

    // The change handles for the message loop to wait on, and what to do when one is signalled.
    const std::vector<HANDLE>& handles() const { return handles_; }
    void signalled(size_t index);
    // The quiet timer went off: reports the changed files.
    void report();

    static constexpr UINT_PTR kQuietTimer = 102;
    static constexpr UINT kQuietMilliseconds = 100;

private:
    struct Stamp {
        bool exists = false;
        ULONGLONG size = 0;
        FILETIME written = {};

        bool operator==(const Stamp& other) const;
    };
    struct File {
        std::string path;
        std::wstring folder;
        Stamp stamp;
    };

    static Stamp stampOf(const std::string& path);
    void closeHandles();

    HWND window_;
    Changed changed_;
    std::vector<File> files_;
    std::vector<std::wstring> folders_;  // by handle
    std::vector<HANDLE> handles_;
    std::vector<std::string> pending_;
};

}  // namespace veskar
