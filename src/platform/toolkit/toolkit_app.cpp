// Applications: their windows, the return-id queue, input handling and Wait,
// and the filter that keeps input away from sleeping windows.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <mutex>
#include <unordered_set>

#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

struct AppState {
    std::string title;
    std::string version;
    std::string copyright;
    std::string author;
    std::string description;
    std::string base;
    std::deque<IPTR> queue;    // guarded by registryLock
    QObject *waker = nullptr;  // guarded by registryLock; lives in the main thread
    QPointer<QDialog> about;
    QPointer<QDialog> config;
};

namespace {

// Guards the set of live objects and every application's queue and waker, the
// only state another thread touches (through MUIM_Application_ReturnID).
std::mutex registryLock;
std::unordered_set<Object *> liveObjects;
int queuedIds = 0;  // over all applications; guarded by registryLock

const QEvent::Type wakeEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Receives the wake-up events posted by ReturnID so that a blocked Wait returns.
class Waker : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == wakeEventType) {
            return true;
        }
        return QObject::event(e);
    }
};

bool IsBlockedInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

// Drops user input for sleeping windows: their widgets and their menus.
class SleepFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!IsBlockedInput(e->type())) {
            return false;
        }
        // Menu items chosen by shortcut are held back where they are chosen.
        return watched->isWidgetType() && WidgetSleeps(static_cast<QWidget *>(watched));
    }
};

QPointer<SleepFilter> sleepFilter;

void InstallSleepFilter()
{
    if (sleepFilter.isNull()) {
        sleepFilter = new SleepFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(sleepFilter);
    }
}

AppState *StateOf(Object *app)
{
    Application *application = As<Application>(app);
    return application != nullptr ? application->appState : nullptr;
}

std::string CopyText(IPTR data)
{
    const char *text = reinterpret_cast<const char *>(data);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

void RememberObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(registryLock);
    liveObjects.insert(obj);
}

void ForgetObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(registryLock);
    liveObjects.erase(obj);
}

bool IsLiveObject(Object *obj)
{
    std::lock_guard<std::mutex> lock(registryLock);
    return liveObjects.count(obj) != 0;
}

std::size_t LiveObjectCount()
{
    std::lock_guard<std::mutex> lock(registryLock);
    return liveObjects.size();
}

void QueueReturnId(Object *app, IPTR id)
{
    std::lock_guard<std::mutex> lock(registryLock);
    AppState *state = liveObjects.count(app) != 0 ? StateOf(app) : nullptr;
    if (state == nullptr) {
        return;
    }
    state->queue.push_back(id);
    ++queuedIds;
    if (state->waker != nullptr) {
        // Posting is thread-safe; the event stays queued until the main thread
        // processes events, so a Wait that starts later still returns at once.
        QCoreApplication::postEvent(state->waker, new QEvent(wakeEventType));
    }
}

bool WidgetSleeps(const QWidget *widget)
{
    while (widget != nullptr) {
        const QWidget *top = widget->window();
        if (top->property("muiSleeping").toBool()) {
            return true;
        }
        // A menu pop-up is a window of its own; it belongs to its menu bar's window.
        if (qobject_cast<const QMenu *>(top) == nullptr) {
            return false;
        }
        widget = top->parentWidget();
    }
    return false;
}

bool ObjectSleeps(Object *obj)
{
    Object *win = WindowOf(obj);
    return win != nullptr && As<Window>(win)->sleepCount > 0;
}

const std::string &ApplicationBase(Object *app)
{
    static const std::string none;
    const AppState *state = StateOf(app);
    return state != nullptr ? state->base : none;
}

Object *NewApplication(const TagItem *tags)
{
    std::vector<Object *> windows;
    bool missingWindow = false;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == MUIA_Application_Window) {
            Object *win = reinterpret_cast<Object *>(item->ti_Data);
            if (win == nullptr || !IsLiveObject(win) || win->kind != Kind::Window || win->parent != nullptr) {
                missingWindow = true;
            } else {
                windows.push_back(win);
            }
        }
    }
    const bool fails = CreationFails();
    if (missingWindow || fails || !HaveQApplication()) {
        for (Object *win : windows) {
            MUI_DisposeObject(win);
        }
        return nullptr;
    }

    auto *obj = new Application;
    obj->appState = new AppState;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag != MUIA_Application_Window) {
            ApplyApplicationAttr(obj, item->ti_Tag, item->ti_Data);
        }
    }
    for (Object *win : windows) {
        win->parent = obj;
        obj->children.push_back(win);
    }
    InstallSleepFilter();
    // The program's icon, when it carries one as a resource, for every window (a
    // -qwindowicon argument comes first).
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/application-icon.png")));
    }
    {
        std::lock_guard<std::mutex> lock(registryLock);
        obj->appState->waker = new Waker;
        liveObjects.insert(obj);
    }
    RestoreApplicationPrefs(obj);
    return obj;
}

void DestroyApplicationState(Object *app)
{
    // Windows close while they still know their application: their places are kept.
    for (Object *win : app->children) {
        CloseWindowObject(win);
    }
    CloseToolkitWindows(app);
    AppState *state = StateOf(app);
    QObject *waker = nullptr;
    {
        std::lock_guard<std::mutex> lock(registryLock);
        liveObjects.erase(app);
        queuedIds -= static_cast<int>(state->queue.size());
        state->queue.clear();
        waker = state->waker;
        state->waker = nullptr;
    }
    delete waker;  // its pending wake-up events go with it
    delete state->about.data();
    delete state->config.data();
    delete state;
    As<Application>(app)->appState = nullptr;
}

void ApplyApplicationAttr(Object *obj, Tag tag, IPTR data)
{
    AppState *state = StateOf(obj);
    switch (tag) {
    case MUIA_Application_Title:
        state->title = CopyText(data);
        break;
    case MUIA_Application_Version:
        state->version = CopyText(data);
        break;
    case MUIA_Application_Copyright:
        state->copyright = CopyText(data);
        break;
    case MUIA_Application_Author:
        state->author = CopyText(data);
        break;
    case MUIA_Application_Description:
        state->description = CopyText(data);
        break;
    case MUIA_Application_Base:
        state->base = CopyText(data);
        break;
    default:
        break;
    }
}

bool GetApplicationAttr(Object *obj, Tag tag, IPTR *storage)
{
    const AppState *state = StateOf(obj);
    const std::string *text = nullptr;
    switch (tag) {
    case MUIA_Application_Title:
        text = &state->title;
        break;
    case MUIA_Application_Version:
        text = &state->version;
        break;
    case MUIA_Application_Copyright:
        text = &state->copyright;
        break;
    case MUIA_Application_Author:
        text = &state->author;
        break;
    case MUIA_Application_Description:
        text = &state->description;
        break;
    case MUIA_Application_Base:
        text = &state->base;
        break;
    default:
        return false;
    }
    *storage = reinterpret_cast<IPTR>(text->c_str());
    return true;
}

std::string ApplicationText(Object *app, Tag tag)
{
    IPTR value = 0;
    if (app == nullptr || !GetApplicationAttr(app, tag, &value)) {
        return {};
    }
    return reinterpret_cast<const char *>(value);
}

QPointer<QDialog> &AboutWindowOf(Object *app)
{
    return StateOf(app)->about;
}
QPointer<QDialog> &ConfigWindowOf(Object *app)
{
    return StateOf(app)->config;
}

IPTR ApplicationMethod(Object *app, const IPTR *msg)
{
    switch (msg[0]) {
    case MUIM_Application_NewInput: {
        auto *signalSet = reinterpret_cast<std::uint32_t *>(msg[1]);
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        IPTR id = 0;
        bool more = false;
        {
            std::lock_guard<std::mutex> lock(registryLock);
            if (AppState *state = StateOf(app); state != nullptr && !state->queue.empty()) {
                id = state->queue.front();
                state->queue.pop_front();
                --queuedIds;
                more = !state->queue.empty();
            }
        }
        if (signalSet != nullptr) {
            *signalSet = more ? 0 : MUIV_Application_InputSignal;
        }
        return id;
    }
    case MUIM_Application_AboutMUI:
        ShowAboutWindow(app, reinterpret_cast<Object *>(msg[1]));
        return 0;
    case MUIM_Application_OpenConfigWindow:
        ShowConfigWindow(app);
        return 0;
    case MUIM_Application_CheckRefresh:
        for (Object *win : app->children) {
            if (win->kind == Kind::Window && As<Window>(win)->open && win->widget != nullptr) {
                win->widget->repaint();
            }
        }
        return 0;
    default:
        return 0;
    }
}

}  // namespace toolkit

using namespace toolkit;

std::uint32_t Wait(std::uint32_t signalSet)
{
    if ((signalSet & MUIV_Application_InputSignal) == 0) {
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(registryLock);
        if (queuedIds > 0) {
            return MUIV_Application_InputSignal;
        }
    }
    if (QCoreApplication::instance() == nullptr) {
        return 0;
    }
    // Blocks until some event arrives; a ReturnID queued since the check above
    // has posted a wake-up event, so this returns at once.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return MUIV_Application_InputSignal;
}
