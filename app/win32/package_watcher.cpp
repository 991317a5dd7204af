#include "app/win32/package_watcher.h"

#include <algorithm>

#include "app/win32/text.h"

namespace veskar {

namespace {

std::wstring folderOf(const std::string& path)
{
    std::wstring full(MAX_PATH, L'\0');
    const std::wstring name = toWide(path);
    wchar_t* file = nullptr;
    DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), &file);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), &file);
    }
    if (length == 0 || file == nullptr)
        return L".";
    return full.substr(0, static_cast<size_t>(file - full.data()));
}

}  // namespace

bool PackageWatcher::Stamp::operator==(const Stamp& other) const
{
    return exists == other.exists && size == other.size && CompareFileTime(&written, &other.written) == 0;
}

PackageWatcher::PackageWatcher(HWND window, Changed changed) : window_(window), changed_(std::move(changed))
{
}

PackageWatcher::~PackageWatcher()
{
    closeHandles();
}

void PackageWatcher::closeHandles()
{
    for (HANDLE handle : handles_)
        FindCloseChangeNotification(handle);
    handles_.clear();
    folders_.clear();
}

PackageWatcher::Stamp PackageWatcher::stampOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    return {true, (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastWriteTime};
}

void PackageWatcher::watch(const std::vector<std::string>& files)
{
    std::vector<File> next;
    for (const std::string& path : files) {
        auto known = std::find_if(files_.begin(), files_.end(), [&](const File& file) { return file.path == path; });
        next.push_back(known != files_.end() ? *known : File{path, folderOf(path), stampOf(path)});
    }
    files_ = std::move(next);

    std::vector<std::wstring> folders;
    for (const File& file : files_)
        if (std::find(folders.begin(), folders.end(), file.folder) == folders.end())
            folders.push_back(file.folder);
    if (folders == folders_)
        return;
    closeHandles();
    for (const std::wstring& folder : folders) {
        HANDLE handle = FindFirstChangeNotificationW(
            folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
        // A folder that cannot be watched (gone, or not allowed) is left out.
        if (handle != INVALID_HANDLE_VALUE) {
            handles_.push_back(handle);
            folders_.push_back(folder);
        }
    }
}

void PackageWatcher::signalled(size_t index)
{
    FindNextChangeNotification(handles_[index]);
    for (File& file : files_) {
        if (file.folder != folders_[index])
            continue;
        const Stamp stamp = stampOf(file.path);
        if (stamp == file.stamp)
            continue;
        file.stamp = stamp;
        if (std::find(pending_.begin(), pending_.end(), file.path) == pending_.end())
            pending_.push_back(file.path);
        SetTimer(window_, kQuietTimer, kQuietMilliseconds, nullptr);
    }
}

void PackageWatcher::report()
{
    KillTimer(window_, kQuietTimer);
    const std::vector<std::string> paths = std::move(pending_);
    pending_.clear();
    for (const std::string& path : paths)
        changed_(path);
}

}  // namespace veskar
