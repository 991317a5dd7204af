#include "app/qt/package_watcher.h"

#include <QFileInfo>
#include <algorithm>

#include "app/qt/conversions.h"

namespace veskar {

PackageWatcher::PackageWatcher(Changed changed) : changed_(std::move(changed))
{
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMilliseconds);
    QObject::connect(&quiet_, &QTimer::timeout, [this] { report(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this](const QString& name) { fileEvent(name); });
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged,
                     [this](const QString& folder) { folderEvent(folder); });
}

PackageWatcher::Stamp PackageWatcher::stampOf(const QString& name)
{
    const QFileInfo info(name);
    return {info.exists(), info.size(), info.lastModified(), info.metadataChangeTime()};
}

void PackageWatcher::watch(const std::vector<std::string>& files)
{
    std::vector<File> next;
    for (const std::string& path : files) {
        auto known = std::find_if(files_.begin(), files_.end(), [&](const File& file) { return file.path == path; });
        if (known != files_.end()) {
            next.push_back(*known);
        } else {
            const QString name = pathToQt(path);
            next.push_back({path, name, QFileInfo(name).absolutePath(), stampOf(name)});
        }
    }
    files_ = std::move(next);

    QStringList wanted;
    for (File& file : files_) {
        if (file.renew)
            watcher_.removePath(file.name);
        file.renew = false;
        wanted << file.name << file.folder;
    }
    wanted.removeDuplicates();
    const QStringList watched = watcher_.files() + watcher_.directories();
    for (const QString& path : watched)
        if (!wanted.contains(path))
            watcher_.removePath(path);
    // A file that is not there now is seen again through its folder.
    for (const QString& path : wanted)
        if (!watched.contains(path) && QFileInfo::exists(path))
            watcher_.addPath(path);
}

void PackageWatcher::fileEvent(const QString& name)
{
    for (File& file : files_)
        if (file.name == name)
            mark(file);
}

void PackageWatcher::folderEvent(const QString& folder)
{
    for (File& file : files_)
        if (file.folder == folder && stampOf(file.name) != file.stamp)
            mark(file);
}

void PackageWatcher::mark(File& file)
{
    file.stamp = stampOf(file.name);
    file.renew = true;
    if (std::find(pending_.begin(), pending_.end(), file.path) == pending_.end())
        pending_.push_back(file.path);
    quiet_.start();
}

void PackageWatcher::report()
{
    const std::vector<std::string> paths = std::move(pending_);
    pending_.clear();
    for (const std::string& path : paths)
        changed_(path);
}

}  // namespace veskar
