// The toolkit's object calls: creation, disposal, attributes, methods and
// notifications. Applications and input are in toolkit_app.cpp, the gadgets in
// toolkit_objects.cpp, windows in toolkit_window.cpp, menus in toolkit_menu.cpp.
#include <QAction>
#include <QApplication>

#include <algorithm>
#include <cstring>

#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

namespace {

int failCountdown = 0;

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

}  // namespace

bool CreationFails()
{
    if (failCountdown <= 0) {
        return false;
    }
    return --failCountdown == 0;
}

bool HaveQApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
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

void ChangeAttr(Object *obj, Tag attr, IPTR value)
{
    IPTR old = 0;
    const bool known =
        attr != MUIA_Window_CloseRequest && attr != MUIA_Menuitem_Trigger && GetAttr(attr, obj, &old) != 0;
    switch (obj->kind) {
    case Kind::Application:
        ApplyApplicationAttr(obj, attr, value);
        break;
    case Kind::Window:
        ApplyWindowAttr(obj, attr, value);
        break;
    default:
        ApplyGadgetAttr(obj, attr, value);
        break;
    }
    if (IsEventAttr(attr)) {
        Notify(obj, attr, value);
        return;
    }
    IPTR now = 0;
    if (known && GetAttr(attr, obj, &now) != 0 && now != old) {
        Notify(obj, attr, now);
    }
}

void DestroyTree(Object *obj)
{
    if (obj->kind == Kind::Application) {
        DestroyApplicationState(obj);
    } else if (obj->kind == Kind::Window) {
        CloseWindowObject(obj);
    }
    std::vector<Object *> children;
    children.swap(obj->children);
    if (Window *win = As<Window>(obj)) {
        win->root = nullptr;
        win->menustrip = nullptr;
    }
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
        if ((child->kind == Kind::Menu || child->kind == Kind::MenuItem) && As<Gadget>(child)->userData == userData) {
            return child;
        }
        if (Object *found = FindUserData(child, userData)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace toolkit

using namespace toolkit;

Object *MUI_NewObjectA(const char *className, const TagItem *tags)
{
    if (className == nullptr) {
        return nullptr;
    }
    if (std::strcmp(className, MUIC_Application) == 0) {
        return NewApplication(tags);
    }
    if (std::strcmp(className, MUIC_Window) == 0) {
        return NewWindow(tags);
    }
    if (std::strcmp(className, MUIC_Group) == 0) {
        return NewGroup(tags);
    }
    if (std::strcmp(className, MUIC_Text) == 0) {
        return NewGadget(Kind::Text, className, tags);
    }
    if (std::strcmp(className, MUIC_Cycle) == 0) {
        return NewGadget(Kind::Cycle, className, tags);
    }
    if (std::strcmp(className, MUIC_Image) == 0) {
        return NewGadget(Kind::Image, className, tags);
    }
    if (std::strcmp(className, MUIC_Slider) == 0) {
        return NewGadget(Kind::Slider, className, tags);
    }
    return nullptr;
}

Object *MUI_MakeObjectA(IPTR type, const IPTR *params)
{
    if (params == nullptr) {
        return nullptr;
    }
    switch (type) {
    case MUIO_Label:
        return NewLabel(reinterpret_cast<const char *>(params[0]), params[1]);
    case MUIO_VSpace:
        return NewSpace(params[0]);
    case MUIO_MenustripNM:
        return NewMenustrip(reinterpret_cast<const NewMenu *>(params[0]));
    default:
        return nullptr;
    }
}

void MUI_DisposeObject(Object *obj)
{
    if (obj == nullptr || !IsLiveObject(obj)) {
        return;
    }
    if (Object *parent = obj->parent) {
        auto &siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), obj), siblings.end());
        if (Window *win = As<Window>(parent); win != nullptr && win->root == obj) {
            win->root = nullptr;
        }
        if (Window *win = As<Window>(parent); win != nullptr && win->menustrip == obj) {
            win->menustrip = nullptr;
        }
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
    bool known = false;
    switch (obj->kind) {
    case Kind::Application:
        known = GetApplicationAttr(obj, attr, storage);
        break;
    case Kind::Window:
        known = GetWindowAttr(obj, attr, storage);
        break;
    default:
        known = GetGadgetAttr(obj, attr, storage);
        break;
    }
    return known ? 1 : 0;
}

IPTR DoMethodA(Object *obj, const IPTR *msg)
{
    if (obj == nullptr || msg == nullptr) {
        return 0;
    }
    // The one method that may come from another thread: touches only the queue.
    if (msg[0] == MUIM_Application_ReturnID) {
        QueueReturnId(obj, msg[1]);
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
        if (obj->kind == Kind::Window) {
            ApplyWindowAttr(obj, msg[1], msg[2]);
        } else if (obj->kind == Kind::Application) {
            ApplyApplicationAttr(obj, msg[1], msg[2]);
        } else {
            ApplyGadgetAttr(obj, msg[1], msg[2]);
        }
        return 1;
    case MUIM_FindUData:
        return reinterpret_cast<IPTR>(FindUserData(obj, msg[1]));
    default:
        break;
    }
    if (obj->kind == Kind::Application) {
        return ApplicationMethod(obj, msg);
    }
    return 0;
}

void MUI_FailObjectCreation(int n)
{
    failCountdown = n > 0 ? n : 0;
}
