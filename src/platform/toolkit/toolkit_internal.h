// The toolkit's private side: the object record and the helpers its pieces share
// (toolkit.cpp: attributes, methods, input; toolkit_objects.cpp: gadgets and groups;
// toolkit_window.cpp; toolkit_menu.cpp; toolkit_request.cpp; toolkit_prefs.cpp).
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit_testing.h"

class QAction;
class QDialog;
class QObject;

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

struct AppState;

}  // namespace toolkit

// What every object has: its kind, its place in the tree, its widget and its
// notifications. What a kind holds of its own is in the records below.
struct Object {
    explicit Object(toolkit::Kind k) : kind(k) {}
    virtual ~Object() = default;
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    toolkit::Kind kind;
    Object *parent = nullptr;
    std::vector<Object *> children;  // group children, application windows, menus, items
    QPointer<QWidget> widget;        // the object's own widget, null for menu items
    QPointer<QWidget> focusWidget;   // the widget that takes keyboard focus
    QPointer<QAction> action;        // menu items
    std::vector<toolkit::Notification> notifications;
};

namespace toolkit {

// Every gadget, group, label, gap and menu entry: the area's attributes.
struct Gadget : Object {
    using Object::Object;
    IPTR frame = MUIV_Frame_None;
    IPTR font = MUIV_Font_Normal;
    IPTR inputMode = MUIV_InputMode_None;
    IPTR imageSpec = 0;
    bool cycleChain = false;
    bool disabled = false;
    bool selected = false;
    bool pressed = false;
    IPTR userData = 0;
    char commKey = 0;      // menu items: the shortcut's key
    std::string text;      // text contents, label text, menu text (ISO-8859-1)
    std::string preParse;  // text pre-parse escapes
    std::string frameTitle;
    IPTR labelFlags = 0;
};

struct Group : Gadget {
    Group() : Gadget(Kind::Group) {}
    bool horizontal = false;
    IPTR columns = 0;
};

struct Cycle : Gadget {
    Cycle() : Gadget(Kind::Cycle) {}
    std::vector<std::string> entries;
    IPTR active = 0;
};

// Sliders, and gaps (value is the height).
struct Numeric : Gadget {
    using Gadget::Gadget;
    IPTR minimum = 0;
    IPTR maximum = 100;
    IPTR value = 0;
};

struct Window : Object {
    Window() : Object(Kind::Window) {}
    std::string title;
    Object *root = nullptr;
    Object *menustrip = nullptr;
    IPTR windowId = 0;
    bool open = false;
    int sleepCount = 0;
    bool geometryRestored = false;
};

struct Application : Object {
    Application() : Object(Kind::Application) {}
    AppState *appState = nullptr;
};

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

// The toolkit's text escapes (ESC c/l/r alignment, b bold, u underline, i italic,
// n plain) as rich text; every other character is HTML-escaped.
QString EscapesToHtml(const std::string &text);
// The text with its escapes removed.
QString StripEscapes(const std::string &text);
// True when the text holds a style escape (b, u, i) that plain text cannot show.
bool HasStyleEscapes(const std::string &text);
// The alignment the text's first alignment escape (ESC c, l, r) asks for, else fallback.
Qt::Alignment EscapeAlignment(const std::string &text, Qt::Alignment fallback);

// Every object made and not yet disposed of (safe from any thread).
void RememberObject(Object *obj);
void ForgetObject(Object *obj);
bool IsLiveObject(Object *obj);
std::size_t LiveObjectCount();

// Creation failures injected by tests: true when this creation is to fail.
bool CreationFails();
bool HaveQApplication();

// The application an object belongs to, or null.
Object *ApplicationOf(Object *obj);
// The window an object belongs to, or null.
Object *WindowOf(Object *obj);

// Sets an attribute as the user's input or a program's SetAttrs does: stores it,
// and runs the notifications when it changes (every time for event attributes).
void ChangeAttr(Object *obj, Tag attr, IPTR value);
// Runs the notifications of attr on obj for the value it now has.
void Notify(Object *obj, Tag attr, IPTR value);

// Queues a return id on an application (any thread).
void QueueReturnId(Object *app, IPTR id);

// Pieces.
Object *NewGadget(Kind kind, const char *className, const TagItem *tags);
Object *NewGroup(const TagItem *tags);
Object *NewWindow(const TagItem *tags);
Object *NewApplication(const TagItem *tags);
Object *NewLabel(const char *text, IPTR flags);
Object *NewSpace(IPTR height);
Object *NewMenustrip(const NewMenu *menu);
void ApplyGadgetAttr(Object *obj, Tag tag, IPTR data);
bool GetGadgetAttr(Object *obj, Tag tag, IPTR *storage);
void ApplyWindowAttr(Object *obj, Tag tag, IPTR data);
bool GetWindowAttr(Object *obj, Tag tag, IPTR *storage);
void ApplyApplicationAttr(Object *obj, Tag tag, IPTR data);
bool GetApplicationAttr(Object *obj, Tag tag, IPTR *storage);
IPTR ApplicationMethod(Object *app, const IPTR *msg);
Object *FindUserData(Object *obj, IPTR userData);

// Frees an object and everything below it (the object is already detached).
void DestroyTree(Object *obj);
// Application and window teardown run by DestroyTree.
void DestroyApplicationState(Object *app);
void CloseWindowObject(Object *win);
// The close gadget pressed on a window (ignored while it sleeps).
void RequestClose(Object *win);

// Windows: the focus order from the cycle chain, sleep checks.
void UpdateTabOrder(Object *win);
bool WidgetSleeps(const QWidget *widget);
bool ObjectSleeps(Object *obj);

// Text and fonts of text-like gadgets.
void ShowText(Object *obj);
void ApplyFont(Object *obj);
void RefreshFonts(Object *obj);

// Toolkit preferences (per application base name).
void RestoreApplicationPrefs(Object *app);
QByteArray LoadWindowGeometry(const std::string &base, IPTR windowId);
void SaveWindowGeometry(const std::string &base, IPTR windowId, const QByteArray &geometry);
void ShowAboutWindow(Object *app, Object *window);
void ShowConfigWindow(Object *app);
int OpenToolkitWindowCount(Object *app);
void CloseToolkitWindows(Object *app);

// The base name of an application, empty when none; its other identity texts.
const std::string &ApplicationBase(Object *app);
std::string ApplicationText(Object *app, Tag tag);
QPointer<QDialog> &AboutWindowOf(Object *app);
QPointer<QDialog> &ConfigWindowOf(Object *app);

// printf-style formatting of a requester body from an argument array.
std::string FormatArgs(const char *format, const IPTR *args, std::size_t count);

}  // namespace toolkit
