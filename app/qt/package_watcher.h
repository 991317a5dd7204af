// Watches the loaded package files for changes on disk.
//
// bscomp replaces a package by renaming a new file over it, which ends a
// watch on the file itself: the folders that hold the files are watched too,
// and a file counts as changed when its size or times differ from those last
// seen.  A change is reported once the file has been left alone for a moment,
// so that a program writing it in place is not caught half way.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace veskar {

class PackageWatcher {
public:
    using Changed = std::function<void(const std::string& path)>;

    explicit PackageWatcher(Changed changed);

    // Watches exactly `files` (as the core names them) from now on.
    void watch(const std::vector<std::string>& files);

    static constexpr int kQuietMilliseconds = 100;

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        QDateTime changed;

        bool operator==(const Stamp&) const = default;
    };
    struct File {
        std::string path;
        QString name;
        QString folder;
        Stamp stamp;
        bool renew = false;  // changed: watch it afresh, perhaps as a new file
    };

    static Stamp stampOf(const QString& name);
    void fileEvent(const QString& name);
    void folderEvent(const QString& folder);
    void mark(File& file);
    void report();

    Changed changed_;
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    std::vector<File> files_;
    std::vector<std::string> pending_;
};

}  // namespace veskar
