#include "platform/qt/file_watch.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include "platform/toolkit/toolkit.h"

namespace {

// A save changes a file and its folder several times within a moment: one report.
constexpr int kSettleMilliseconds = 150;

struct Watch {
    QFileSystemWatcher watcher;
    QTimer settle;
    QStringList paths;
};
Watch *watch = nullptr;

void Changed()
{
    // A file replaced by a rename is no longer watched: watch the new one.
    for (const QString &path : watch->paths) {
        if (!watch->watcher.files().contains(path) && !watch->watcher.directories().contains(path)) {
            watch->watcher.addPath(path);
        }
    }
    watch->settle.start();
}

}  // namespace

void WatchPaths(Object *app, const std::vector<std::string> &paths, std::int32_t returnId)
{
    StopWatching();
    watch = new Watch;
    watch->settle.setSingleShot(true);
    watch->settle.setInterval(kSettleMilliseconds);
    for (const std::string &path : paths) {
        watch->paths.append(QString::fromLocal8Bit(path.c_str()));
    }
    watch->watcher.addPaths(watch->paths);
    QObject::connect(&watch->watcher, &QFileSystemWatcher::fileChanged, Changed);
    QObject::connect(&watch->watcher, &QFileSystemWatcher::directoryChanged, Changed);
    QObject::connect(&watch->settle, &QTimer::timeout,
                     [app, returnId] { DoMethod(app, MUIM_Application_ReturnID, returnId); });
}

void StopWatching()
{
    delete watch;
    watch = nullptr;
}
