// Windows: a top-level widget with a menu bar and the root group, the close
// gadget, sleep, the focus order and the remembered place and size.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

namespace {

class WindowWidget : public QMainWindow {
public:
    explicit WindowWidget(Object *obj) : obj_(obj) {}

protected:
    // The close gadget asks; the window closes only when the program says so.
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        RequestClose(obj_);
    }

    // Escape, when no control takes it, is the close gadget's key.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            event->accept();
            RequestClose(obj_);
            return;
        }
        QMainWindow::keyPressEvent(event);
    }

private:
    Object *obj_;
};

bool TakesChild(Object *child)
{
    return child != nullptr && IsLiveObject(child) && child->parent == nullptr && child->widget != nullptr &&
           child->kind != Kind::Application && child->kind != Kind::Window && child->kind != Kind::Menustrip;
}

bool IsMenustrip(Object *strip)
{
    return strip != nullptr && IsLiveObject(strip) && strip->parent == nullptr && strip->kind == Kind::Menustrip;
}

void CollectChain(Object *obj, std::vector<QWidget *> &chain)
{
    const Gadget *gadget = As<Gadget>(obj);
    if (gadget != nullptr && gadget->cycleChain && obj->focusWidget != nullptr) {
        chain.push_back(obj->focusWidget);
    }
    for (Object *child : obj->children) {
        if (child->kind != Kind::Menustrip) {
            CollectChain(child, chain);
        }
    }
}

void OpenWindowObject(Window *win)
{
    if (win->open || win->widget == nullptr) {
        return;
    }
    QWidget *w = win->widget;
    if (!win->geometryRestored) {
        win->geometryRestored = true;
        const QByteArray saved = LoadWindowGeometry(ApplicationBase(ApplicationOf(win)), win->windowId);
        if (saved.isEmpty() || !w->restoreGeometry(saved)) {
            w->adjustSize();
        }
    }
    UpdateTabOrder(win);
    win->open = true;
    // The first control of the cycle chain starts with the keyboard.
    if (w->focusWidget() == nullptr) {
        std::vector<QWidget *> chain;
        if (win->root != nullptr) {
            CollectChain(win->root, chain);
        }
        if (!chain.empty()) {
            chain.front()->setFocus();
        }
    }
    w->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        w->raise();
    }
    w->activateWindow();
}

void SetSleep(Window *win, bool sleep)
{
    QWidget *w = win->widget;
    if (sleep) {
        if (win->sleepCount < 1000000 && ++win->sleepCount == 1 && w != nullptr) {
            w->setProperty("muiSleeping", true);
            w->setCursor(Qt::BusyCursor);
        }
    } else if (win->sleepCount > 0 && --win->sleepCount == 0 && w != nullptr) {
        w->setProperty("muiSleeping", false);
        w->unsetCursor();
    }
}

}  // namespace

void RequestClose(Object *obj)
{
    const Window *win = As<Window>(obj);
    if (win == nullptr || win->sleepCount > 0) {
        return;
    }
    ChangeAttr(obj, MUIA_Window_CloseRequest, 1);
}

void UpdateTabOrder(Object *obj)
{
    const Window *win = As<Window>(obj);
    std::vector<QWidget *> chain;
    if (win != nullptr && win->root != nullptr) {
        CollectChain(win->root, chain);
    }
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

void CloseWindowObject(Object *obj)
{
    Window *win = As<Window>(obj);
    if (win == nullptr) {
        return;
    }
    if (!win->open || win->widget == nullptr) {
        win->open = false;
        return;
    }
    SaveWindowGeometry(ApplicationBase(ApplicationOf(win)), win->windowId, win->widget->saveGeometry());
    win->open = false;
    win->widget->hide();
}

Object *NewWindow(const TagItem *tags)
{
    Object *root = nullptr;
    Object *strip = nullptr;
    bool rootGiven = false;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        Object *child = reinterpret_cast<Object *>(item->ti_Data);
        if (item->ti_Tag == MUIA_Window_RootObject) {
            rootGiven = true;
            root = TakesChild(child) ? child : nullptr;
        } else if (item->ti_Tag == MUIA_Window_Menustrip) {
            // A missing menu strip gives a window without a menu.
            strip = IsMenustrip(child) ? child : nullptr;
        }
    }
    const bool fails = CreationFails();
    if (!rootGiven || root == nullptr || fails || !HaveQApplication()) {
        MUI_DisposeObject(root);
        MUI_DisposeObject(strip);
        return nullptr;
    }

    auto *obj = new Window;
    auto *w = new WindowWidget(obj);
    obj->widget = w;
    w->setCentralWidget(root->widget);
    root->parent = obj;
    obj->root = root;
    obj->children.push_back(root);
    if (strip != nullptr) {
        w->setMenuBar(qobject_cast<QMenuBar *>(strip->widget.data()));
        strip->parent = obj;
        obj->menustrip = strip;
        obj->children.push_back(strip);
    }
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == MUIA_Window_Title || item->ti_Tag == MUIA_Window_ID) {
            ApplyWindowAttr(obj, item->ti_Tag, item->ti_Data);
        }
    }
    RememberObject(obj);
    UpdateTabOrder(obj);
    return obj;
}

void ApplyWindowAttr(Object *object, Tag tag, IPTR data)
{
    Window *obj = As<Window>(object);
    if (obj == nullptr) {
        return;
    }
    switch (tag) {
    case MUIA_Window_Title: {
        const char *title = reinterpret_cast<const char *>(data);
        obj->title = title != nullptr ? title : "";
        if (obj->widget != nullptr) {
            obj->widget->setWindowTitle(FromLatin1(obj->title));
        }
        break;
    }
    case MUIA_Window_ID:
        obj->windowId = data;
        break;
    case MUIA_Window_Open:
        if (data != 0) {
            OpenWindowObject(obj);
        } else {
            CloseWindowObject(obj);
        }
        break;
    case MUIA_Window_Sleep:
        SetSleep(obj, data != 0);
        break;
    default:
        break;
    }
}

bool GetWindowAttr(Object *object, Tag tag, IPTR *storage)
{
    const Window *obj = As<Window>(object);
    if (obj == nullptr) {
        return false;
    }
    switch (tag) {
    case MUIA_Window_Title:
        *storage = reinterpret_cast<IPTR>(obj->title.c_str());
        return true;
    case MUIA_Window_ID:
        *storage = obj->windowId;
        return true;
    case MUIA_Window_Open:
        *storage = obj->open ? 1 : 0;
        return true;
    case MUIA_Window_Sleep:
        *storage = obj->sleepCount > 0 ? 1 : 0;
        return true;
    case MUIA_Window_Window:
        *storage = obj->open ? reinterpret_cast<IPTR>(obj->widget.data()) : 0;
        return true;
    case MUIA_Window_RootObject:
        *storage = reinterpret_cast<IPTR>(obj->root);
        return true;
    case MUIA_Window_Menustrip:
        *storage = reinterpret_cast<IPTR>(obj->menustrip);
        return true;
    default:
        return false;
    }
}

}  // namespace toolkit
