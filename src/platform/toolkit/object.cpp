// The toolkit's core: the registry of live objects, disposal, attributes,
// methods and notifications, through each kind's hooks.
#include "platform/toolkit/object.h"

#include <QAction>
#include <QApplication>

#include <algorithm>
#include <unordered_set>

namespace toolkit {

namespace seams {
int failCountdown = 0;
std::function<int(const char *, const char *, const char *)> requesterHook;
QString settingsFile;
}  // namespace seams

namespace {

std::unordered_set<Object *> liveObjects;  // guarded by RegistryLock()

// Attributes whose notifications fire on every set, not only on a change.
bool IsEventAttr(Tag attr)
{
    return attr == MUIA_Window_CloseRequest || attr == MUIA_Menuitem_Trigger;
}

Object *ResolveTarget(Object *source, Object *target)
{
    if (target == MUIV_Notify_Application) {
        return ApplicationOf(source);
    }
    if (target == MUIV_Notify_Self) {
        return source;
    }
    if (target == MUIV_Notify_Window) {
        return WindowOf(source);
    }
    return target;
}

// Runs the notifications of attr on obj for the value it now has.
void Notify(Object *obj, Tag attr, IPTR value)
{
    // A method may add notifications: run over a copy.
    const std::vector<Notification> list = obj->notifications;
    for (const Notification &n : list) {
        if (n.attr != attr || (n.trigger != MUIV_EveryTime && n.trigger != value)) {
            continue;
        }
        Object *target = ResolveTarget(obj, n.target);
        if (target == nullptr || !IsLiveObject(target)) {
            continue;
        }
        std::vector<IPTR> msg = n.message;
        for (std::size_t i = 1; i < msg.size(); ++i) {
            if (msg[i] == MUIV_TriggerValue) {
                msg[i] = value;
            } else if (msg[i] == MUIV_NotTriggerValue) {
                msg[i] = value == 0 ? 1 : 0;
            }
        }
        msg.push_back(0);
        DoMethodA(target, msg.data());
    }
}

// Frees an object and everything below it (the object is already detached).
void DestroyTree(Object *obj)
{
    obj->Close();
    std::vector<Object *> children;
    children.swap(obj->children);
    for (Object *child : children) {
        child->parent = nullptr;
        DestroyTree(child);
    }
    ForgetObject(obj);
    delete obj->action.data();
    delete obj->widget.data();
    delete obj;
}

Object *FindUserData(Object *obj, IPTR userData)
{
    for (Object *child : obj->children) {
        IPTR data = 0;
        if ((child->kind == Kind::Menu || child->kind == Kind::MenuItem) && child->Get(MUIA_UserData, &data) &&
            data == userData) {
            return child;
        }
        if (Object *found = FindUserData(child, userData)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace

std::mutex &RegistryLock()
{
    static std::mutex lock;
    return lock;
}

void RememberObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    liveObjects.insert(obj);
}

void ForgetObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    liveObjects.erase(obj);
}

bool IsLiveObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    return liveObjects.count(obj) != 0;
}

std::size_t LiveObjectCount()
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    return liveObjects.size();
}

bool CreationFails()
{
    if (seams::failCountdown > 0 && --seams::failCountdown == 0) {
        return true;
    }
    return qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr;
}

Object *ApplicationOf(Object *obj)
{
    while (obj != nullptr && obj->kind != Kind::Application) {
        obj = obj->parent;
    }
    return obj;
}

Object *WindowOf(Object *obj)
{
    while (obj != nullptr && obj->kind != Kind::Window) {
        obj = obj->parent;
    }
    return obj;
}

bool ObjectSleeps(Object *obj)
{
    IPTR sleeps = 0;
    Object *win = WindowOf(obj);
    return win != nullptr && win->Get(MUIA_Window_Sleep, &sleeps) && sleeps != 0;
}

std::string TextAttr(Object *obj, Tag tag)
{
    IPTR value = 0;
    if (obj == nullptr || !obj->Get(tag, &value) || value == 0) {
        return {};
    }
    return reinterpret_cast<const char *>(value);
}

void ChangeAttr(Object *obj, Tag attr, IPTR value)
{
    if (IsEventAttr(attr)) {
        obj->Set(attr, value);
        Notify(obj, attr, value);
        return;
    }
    IPTR old = 0;
    const bool known = obj->Get(attr, &old);
    obj->Set(attr, value);
    IPTR now = 0;
    if (known && obj->Get(attr, &now) && now != old) {
        Notify(obj, attr, now);
    }
}

}  // namespace toolkit

using namespace toolkit;

void MUI_DisposeObject(Object *obj)
{
    if (obj == nullptr || !IsLiveObject(obj)) {
        return;
    }
    if (Object *parent = obj->parent) {
        auto &siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), obj), siblings.end());
        obj->parent = nullptr;
    }
    DestroyTree(obj);
}

std::uint32_t SetAttrsA(Object *obj, const TagItem *tags)
{
    if (obj == nullptr || tags == nullptr || !IsLiveObject(obj)) {
        return 0;
    }
    std::uint32_t count = 0;
    for (const TagItem *item = tags; item->ti_Tag != TAG_DONE; ++item) {
        ChangeAttr(obj, item->ti_Tag, item->ti_Data);
        ++count;
    }
    return count;
}

std::uint32_t GetAttr(Tag attr, Object *obj, IPTR *storage)
{
    if (obj == nullptr || storage == nullptr || !IsLiveObject(obj)) {
        return 0;
    }
    return obj->Get(attr, storage) ? 1 : 0;
}

IPTR DoMethodA(Object *obj, const IPTR *msg)
{
    if (obj == nullptr || msg == nullptr) {
        return 0;
    }
    // The one method that may come from another thread: run under the lock,
    // on an object that is still alive.
    if (msg[0] == MUIM_Application_ReturnID) {
        std::lock_guard<std::mutex> lock(RegistryLock());
        if (liveObjects.count(obj) != 0) {
            obj->ThreadSafeMethod(msg);
        }
        return 0;
    }
    if (!IsLiveObject(obj)) {
        return 0;
    }
    switch (msg[0]) {
    case MUIM_Notify: {
        // attr, trigger, target, count, method and its arguments
        Notification n{msg[1], msg[2], reinterpret_cast<Object *>(msg[3]), {}};
        const IPTR count = std::clamp<IPTR>(msg[4], 0, 16);
        if (count == 0) {
            return 0;
        }
        n.message.assign(msg + 5, msg + 5 + count);
        obj->notifications.push_back(std::move(n));
        return 1;
    }
    case MUIM_Set:
        ChangeAttr(obj, msg[1], msg[2]);
        return 1;
    case MUIM_NoNotifySet:
        obj->Set(msg[1], msg[2]);
        return 1;
    case MUIM_FindUData:
        return reinterpret_cast<IPTR>(FindUserData(obj, msg[1]));
    default:
        return obj->Method(msg);
    }
}
