#include "platform/qt/file_watch.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <cstdio>

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

QtMessageHandler passOn = nullptr;

// Qt's own words for a path the system would not watch (no read permission, no
// watches left) stay off standard error: the window then misses other programs'
// changes to it, and Save still finds them.
void DropWatchFailure(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("inotify_add_watch("))) {
        return;
    }
    if (passOn != nullptr) {
        passOn(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
    }
}

// Adds the paths not yet watched, Qt's failures to watch one dropped.
void AddPaths(const QStringList &paths)
{
    QStringList missing;
    for (const QString &path : paths) {
        if (!watch->watcher.files().contains(path) && !watch->watcher.directories().contains(path)) {
            missing.append(path);
        }
    }
    if (missing.isEmpty()) {
        return;
    }
    passOn = qInstallMessageHandler(DropWatchFailure);
    watch->watcher.addPaths(missing);
    qInstallMessageHandler(passOn);
}

void Changed()
{
    // A file replaced by a rename is no longer watched: watch the new one.
    AddPaths(watch->paths);
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
    AddPaths(watch->paths);
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
