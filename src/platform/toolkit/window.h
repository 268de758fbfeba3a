// Windows: a top-level widget with a menu bar and the root group.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "platform/toolkit/object.h"

namespace toolkit {

struct Window : Object {
    Window() : Object(Kind::Window) {}
    void Set(Tag tag, IPTR data) override;
    bool Get(Tag tag, IPTR *storage) override;
    void Close() override;

    // The root group and the menu strip among the children (null when gone).
    Object *Root() const;
    Object *Menustrip() const;

    std::string title;
    IPTR windowId = 0;
    std::string sizeName;
    bool open = false;
    int sleepCount = 0;
    QPointer<QWidget> awakeFocus;  // the focused control when it fell asleep
    bool geometryRestored = false;
};

// A window of the root object and menu strip in tags; null when it fails (a
// missing or unusable root object), disposing of what it was given.
Object *NewWindow(const TagItem *tags);

}  // namespace toolkit
