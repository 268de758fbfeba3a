// Applications: their windows, the return-id queue, input handling and Wait.
#include "platform/toolkit/application.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QWidget>

#include "platform/toolkit/look.h"

namespace toolkit {

namespace {

int queuedIds = 0;  // over all applications; guarded by RegistryLock()

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

// The window to show a toolkit window over: the given one when open, else the first open one.
QWidget *ReferenceWidget(Object *app, Object *window)
{
    IPTR shown = 0;
    if (window != nullptr && GetAttr(MUIA_Window_Window, window, &shown) != 0 && shown != 0) {
        return reinterpret_cast<QWidget *>(shown);
    }
    for (Object *win : app->children) {
        if (win->Get(MUIA_Window_Window, &shown) && shown != 0) {
            return reinterpret_cast<QWidget *>(shown);
        }
    }
    return nullptr;
}

}  // namespace

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
    if (missingWindow || fails) {
        for (Object *win : windows) {
            MUI_DisposeObject(win);
        }
        return nullptr;
    }

    auto *obj = new Application;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag != MUIA_Application_Window) {
            obj->Set(item->ti_Tag, item->ti_Data);
        }
    }
    for (Object *win : windows) {
        win->parent = obj;
        obj->children.push_back(win);
    }
    // The program's icon, when it carries one as a resource, for every window (a
    // -qwindowicon argument comes first).
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/application-icon.png")));
    }
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        obj->waker = new Waker;
    }
    RememberObject(obj);
    RestoreLook(obj->base);
    return obj;
}

void Application::Close()
{
    ForgetObject(this);  // from here on, return ids from other threads are dropped
    // Windows close while they still know their application: their places are kept.
    for (Object *win : children) {
        win->Close();
    }
    QObject *gone = nullptr;
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        queuedIds -= static_cast<int>(queue.size());
        queue.clear();
        gone = waker;
        waker = nullptr;
    }
    delete gone;  // its pending wake-up events go with it
    delete about.data();
    delete config.data();
}

void Application::Set(Tag tag, IPTR data)
{
    switch (tag) {
    case MUIA_Application_Title:
        title = CopyText(data);
        break;
    case MUIA_Application_Version:
        version = CopyText(data);
        break;
    case MUIA_Application_Copyright:
        copyright = CopyText(data);
        break;
    case MUIA_Application_Author:
        author = CopyText(data);
        break;
    case MUIA_Application_Description:
        description = CopyText(data);
        break;
    case MUIA_Application_Base:
        base = CopyText(data);
        break;
    default:
        break;
    }
}

bool Application::Get(Tag tag, IPTR *storage)
{
    const std::string *text = nullptr;
    switch (tag) {
    case MUIA_Application_Title:
        text = &title;
        break;
    case MUIA_Application_Version:
        text = &version;
        break;
    case MUIA_Application_Copyright:
        text = &copyright;
        break;
    case MUIA_Application_Author:
        text = &author;
        break;
    case MUIA_Application_Description:
        text = &description;
        break;
    case MUIA_Application_Base:
        text = &base;
        break;
    default:
        return false;
    }
    *storage = reinterpret_cast<IPTR>(text->c_str());
    return true;
}

void Application::ThreadSafeMethod(const IPTR *msg)
{
    if (msg[0] != MUIM_Application_ReturnID) {
        return;
    }
    queue.push_back(msg[1]);
    ++queuedIds;
    if (waker != nullptr) {
        // Posting is thread-safe; the event stays queued until the main thread
        // processes events, so a Wait that starts later still returns at once.
        QCoreApplication::postEvent(waker, new QEvent(wakeEventType));
    }
}

IPTR Application::Method(const IPTR *msg)
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
            std::lock_guard<std::mutex> lock(RegistryLock());
            if (!queue.empty()) {
                id = queue.front();
                queue.pop_front();
                --queuedIds;
                more = !queue.empty();
            }
        }
        if (signalSet != nullptr) {
            *signalSet = more ? 0 : MUIV_Application_InputSignal;
        }
        return id;
    }
    case MUIM_Application_AboutMUI:
        ShowAboutWindow(about, this, ReferenceWidget(this, reinterpret_cast<Object *>(msg[1])));
        return 0;
    case MUIM_Application_OpenConfigWindow:
        ShowSettingsWindow(config, this, ReferenceWidget(this, nullptr));
        return 0;
    case OM_ADDMEMBER: {
        Object *win = reinterpret_cast<Object *>(msg[1]);
        if (win == nullptr || !IsLiveObject(win) || win->kind != Kind::Window || win->parent != nullptr) {
            return 0;
        }
        win->parent = this;
        children.push_back(win);
        return 1;
    }
    case MUIM_Application_CheckRefresh:
        for (Object *win : children) {
            if (QWidget *shown = ReferenceWidget(this, win); shown != nullptr && shown == win->widget) {
                shown->repaint();
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
        std::lock_guard<std::mutex> lock(RegistryLock());
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
