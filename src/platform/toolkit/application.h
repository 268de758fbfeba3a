// Applications: their windows, the return-id queue, input handling and the
// toolkit's own windows (About, settings) opened for them.
#pragma once

#include <QDialog>
#include <QPointer>

#include <deque>
#include <string>

#include "platform/toolkit/object.h"

namespace toolkit {

struct Application : Object {
    Application() : Object(Kind::Application) {}
    void Set(Tag tag, IPTR data) override;
    bool Get(Tag tag, IPTR *storage) override;
    IPTR Method(const IPTR *msg) override;
    void ThreadSafeMethod(const IPTR *msg) override;
    void Close() override;

    std::string title;
    std::string version;
    std::string copyright;
    std::string author;
    std::string description;
    std::string base;
    std::deque<IPTR> queue;    // guarded by RegistryLock()
    QObject *waker = nullptr;  // guarded by RegistryLock(); lives in the main thread
    QPointer<QDialog> about;
    QPointer<QDialog> config;
};

// An application of the windows in tags; null when it fails, disposing of them.
Object *NewApplication(const TagItem *tags);

}  // namespace toolkit
