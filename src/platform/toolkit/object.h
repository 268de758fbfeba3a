// The toolkit's core, below every kind of object: the object record with its
// hooks, the registry of live objects, notifications and the helpers every
// piece shares. It calls no piece above it; each kind overrides the hooks.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit.h"

class QAction;

namespace toolkit {

enum class Kind {
    Application,
    Window,
    Group,
    Text,       // read-only text (QLabel)
    Button,     // text with a button frame and an input mode (QPushButton)
    Cycle,      // QComboBox
    CheckMark,  // QCheckBox
    PopUp,      // QToolButton
    Image,      // any other image: an empty QLabel
    Slider,     // QSlider with its value beside it
    Label,      // MUIO_Label
    Space,      // MUIO_VSpace
    Menustrip,  // QMenuBar
    Menu,       // QMenu
    MenuItem,   // QAction
};

struct Notification {
    Tag attr;
    IPTR trigger;
    Object *target;
    std::vector<IPTR> message;  // method and its arguments
};

}  // namespace toolkit

// What every object has: its kind, its place in the tree, its widget and its
// notifications. Each kind stores and shows its attributes through the hooks.
struct Object {
    explicit Object(toolkit::Kind k) : kind(k) {}
    virtual ~Object() = default;
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    // Stores an attribute and shows it, without notifications.
    virtual void Set(Tag, IPTR) {}
    // The attribute's value; false when the object has no such attribute.
    virtual bool Get(Tag, IPTR *) { return false; }
    // A method the core does not handle itself.
    virtual IPTR Method(const IPTR *) { return 0; }
    // Run, with the registry lock held, for a method that may come from any thread.
    virtual void ThreadSafeMethod(const IPTR *) {}
    // Before the object and everything below it are freed.
    virtual void Close() {}

    toolkit::Kind kind;
    Object *parent = nullptr;
    std::vector<Object *> children;  // group children, application windows, menus, items
    QPointer<QWidget> widget;        // the object's own widget, null for menu items
    QPointer<QWidget> focusWidget;   // the widget that takes keyboard focus
    QPointer<QAction> action;        // menu items
    std::vector<toolkit::Notification> notifications;
};

namespace toolkit {

// The object as its kind's record, or null when it is of another kind.
template <typename Record> Record *As(Object *obj)
{
    return dynamic_cast<Record *>(obj);
}
template <typename Record> const Record *As(const Object *obj)
{
    return dynamic_cast<const Record *>(obj);
}

// Text conversion: the toolkit's texts are UTF-8.
inline QString FromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
inline QString FromUtf8(const char *text)
{
    return text != nullptr ? QString::fromUtf8(text) : QString();
}
inline std::string CopyText(IPTR data)
{
    const char *text = reinterpret_cast<const char *>(data);
    return text != nullptr ? std::string(text) : std::string();
}

// Every object made and not yet disposed of (safe from any thread). The lock
// also guards what another thread may touch through ThreadSafeMethod.
std::mutex &RegistryLock();
void RememberObject(Object *obj);
void ForgetObject(Object *obj);
bool IsLiveObject(Object *obj);
std::size_t LiveObjectCount();

// True when this creation is to fail (a test's failure switch), or when there
// is no QApplication to make widgets in.
bool CreationFails();

// The application an object belongs to, or null; likewise its window.
Object *ApplicationOf(Object *obj);
Object *WindowOf(Object *obj);
// True when the object's window sleeps.
bool ObjectSleeps(Object *obj);
// A text attribute of an object, empty when it has none.
std::string TextAttr(Object *obj, Tag tag);

// Sets an attribute as the user's input or a program's SetAttrs does: stores it,
// and runs the notifications when it changes (every time for event attributes).
void ChangeAttr(Object *obj, Tag attr, IPTR value);

// Switches tests turn at run time; nothing else sets them.
namespace seams {
extern int failCountdown;  // the n-th creation from now fails; 0: none
// Answers requesters instead of showing them: title, body, buttons -> button number.
extern std::function<int(const char *, const char *, const char *)> requesterHook;
extern QString settingsFile;  // the toolkit's settings file; empty: the user's
}  // namespace seams

}  // namespace toolkit
