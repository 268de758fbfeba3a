// Windows: a top-level widget with a menu bar and the root group, the close
// gadget, sleep, the focus order and the remembered place and size.
#include <algorithm>
#include <climits>

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QToolButton>

#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/gadget.h"
#include "platform/toolkit/places.h"
#include "platform/toolkit/window.h"

namespace toolkit {

namespace {

// True when the widget belongs to a sleeping window, directly or through a menu.
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

// The close gadget pressed on a window (ignored while it sleeps).
void RequestClose(Object *obj)
{
    const Window *win = As<Window>(obj);
    if (win == nullptr || win->sleepCount > 0) {
        return;
    }
    ChangeAttr(obj, MUIA_Window_CloseRequest, 1);
}

void CollectChain(Object *obj, std::vector<QWidget *> &chain);

void UpdateTabOrder(Window *win)
{
    std::vector<QWidget *> chain;
    if (win->Root() != nullptr) {
        CollectChain(win->Root(), chain);
    }
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

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
        // Return presses the focused button, as Space does.
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        QWidget *focused = QApplication::focusWidget();
        if (enter &&
            (qobject_cast<QPushButton *>(focused) != nullptr || qobject_cast<QToolButton *>(focused) != nullptr) &&
            focused->isEnabled() && isAncestorOf(focused)) {
            event->accept();
            static_cast<QAbstractButton *>(focused)->click();
            return;
        }
        QMainWindow::keyPressEvent(event);
    }

private:
    Object *obj_;
};

// A click on a checkmark's text toggles the checkmark.
class LabelClick : public QObject {
public:
    LabelClick(QLabel *label, QCheckBox *check) : QObject(label), check_(check) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && check_ != nullptr && check_->isEnabled() &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !WidgetSleeps(check_)) {
            check_->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QCheckBox> check_;
};

// The text that names a control: a label, or a text without a frame.
QLabel *NamingLabel(Object *obj)
{
    const Gadget *gadget = As<Gadget>(obj);
    if (gadget == nullptr || gadget->text.empty() ||
        !(obj->kind == Kind::Label || (obj->kind == Kind::Text && gadget->frame == MUIV_Frame_None))) {
        return nullptr;
    }
    return qobject_cast<QLabel *>(obj->widget.data());
}

// The control of obj still without a name: its own, or in a group the first of its children's.
QWidget *UnnamedControl(Object *obj)
{
    if (obj->focusWidget != nullptr) {
        return obj->focusWidget->accessibleName().isEmpty() ? obj->focusWidget.data() : nullptr;
    }
    if (obj->kind == Kind::Group) {
        for (Object *child : obj->children) {
            if (child->focusWidget != nullptr && child->focusWidget->accessibleName().isEmpty()) {
                return child->focusWidget;
            }
        }
    }
    return nullptr;
}

// A label's text as a control's name, to be trimmed: without the shortcut
// markers (an & or _ before a character that is not ASCII white space) and
// without a closing colon.
QString NameOfLabelText(const QString &text)
{
    const auto isSpace = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    QString name;
    name.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c == u'&' || c == u'_') && i + 1 < text.size() && !isSpace(text[i + 1])) {
            continue;
        }
        name += c;
    }
    qsizetype end = name.size();
    while (end > 0 && isSpace(name[end - 1])) {
        --end;
    }
    if (end > 0 && name[end - 1] == u':') {
        name.truncate(end - 1);  // the white space before it goes with the trimming
    }
    return name;
}

// Every control takes its name from the label beside it (after it, else before
// it): the label's text without escapes, shortcut marker or closing colon. The
// label becomes its buddy; a checkmark's text toggles it; a pop-up button shows
// its name as a tooltip.
void NameControls(Object *obj)
{
    for (Object *child : obj->children) {
        NameControls(child);
    }
    if (obj->kind != Kind::Group) {
        return;
    }
    const std::vector<Object *> &row = obj->children;
    for (std::size_t i = 0; i < row.size(); ++i) {
        QWidget *control = UnnamedControl(row[i]);
        if (control == nullptr) {
            continue;
        }
        QLabel *label = i + 1 < row.size() ? NamingLabel(row[i + 1]) : nullptr;
        if (label == nullptr && i > 0) {
            label = NamingLabel(row[i - 1]);
        }
        if (label == nullptr) {
            continue;
        }
        QString name = label->text();
        if (label->textFormat() == Qt::RichText) {
            name = QTextDocumentFragment::fromHtml(name).toPlainText();
        }
        name = NameOfLabelText(name);
        control->setAccessibleName(name.trimmed());
        label->setBuddy(control);
        if (auto *check = qobject_cast<QCheckBox *>(control)) {
            label->installEventFilter(new LabelClick(label, check));
        } else if (qobject_cast<QToolButton *>(control) != nullptr) {
            control->setToolTip(name.trimmed());
        }
    }
}

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

// A size or place (remembered, or asked for by longer texts) that would put the
// window or a part of it off the available screen area is brought inside it.
void FitIntoScreen(QWidget *w)
{
    QScreen *screen = QGuiApplication::screenAt(w->geometry().center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect frame = w->frameGeometry();
    const QSize decoration = frame.size() - w->size();
    const QSize size = w->size().boundedTo(area.size() - decoration).expandedTo(w->minimumSizeHint());
    // A window already inside is left alone, so that its remembered place stays as it was.
    if (size != w->size()) {
        w->resize(size);
    }
    const QSize outer = size + decoration;
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != frame.topLeft()) {
        w->move(x, y);
    }
}

// Tighter spacing between rows and shorter gaps, once; a label and its field
// side by side keep the room they have (the style's, scaled as the window is)
// unless the window is too wide as well.
void Compact(QWidget *w, bool tooWide)
{
    if (w->property("muiCompact").toBool()) {
        return;
    }
    w->setProperty("muiCompact", true);
    for (QLayout *layout : w->findChildren<QLayout *>()) {
        auto *grid = qobject_cast<QGridLayout *>(layout);
        auto *line = qobject_cast<QBoxLayout *>(layout);
        const bool sideBySide = line != nullptr && (line->direction() == QBoxLayout::LeftToRight ||
                                                    line->direction() == QBoxLayout::RightToLeft);
        if (grid != nullptr) {
            grid->setVerticalSpacing(std::min(grid->verticalSpacing(), 2));
            grid->setHorizontalSpacing(tooWide ? std::min(grid->horizontalSpacing(), 2) : grid->horizontalSpacing());
        } else if (!sideBySide || tooWide) {
            layout->setSpacing(std::min(layout->spacing(), 2));
        }
        const QMargins m = layout->contentsMargins();
        const int side = tooWide ? 4 : INT_MAX;
        layout->setContentsMargins(std::min(m.left(), side), std::min(m.top(), 2), std::min(m.right(), side),
                                   std::min(m.bottom(), 2));
    }
    for (QWidget *gap : w->findChildren<QWidget *>()) {
        if (gap->property("muiSpace").toBool()) {
            gap->setFixedHeight(gap->minimumHeight() / 4);
        }
    }
    // The layouts' sizes, kept by every parent, are worked out afresh.
    for (QWidget *child : w->findChildren<QWidget *>()) {
        child->updateGeometry();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    w->layout()->invalidate();
}

// A window too large for its screen even at its smallest (long texts at a large
// scale on a small screen), before it is first laid out: too wide, its unframed
// texts wrap at spaces; still too wide, or too tall, it is made compact.
void FitSmallScreen(QWidget *w)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    if (w->minimumSizeHint().width() > area.width()) {
        for (QLabel *label : w->findChildren<QLabel *>()) {
            if (label->frameShape() == QFrame::NoFrame && !label->property("muiWraps").toBool()) {
                label->setWordWrap(true);
                label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);  // as tall as its lines take
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        w->layout()->invalidate();
    }
    const int titleBar = w->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const bool tooWide = w->minimumSizeHint().width() > area.width();
    if (tooWide || w->minimumSizeHint().height() > area.height() - titleBar) {
        Compact(w, tooWide);
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
        FitSmallScreen(w);
        const auto place =
            LoadWindowPlace(TextAttr(ApplicationOf(win), MUIA_Application_Base), win->windowId, win->sizeName);
        if (place && !place->isEmpty()) {
            w->resize(place->size());
        } else {
            w->adjustSize();
        }
        if (place) {
            w->move(place->topLeft());
        }
        FitIntoScreen(w);
    }
    UpdateTabOrder(win);
    win->open = true;
    // The first control of the cycle chain starts with the keyboard.
    if (w->focusWidget() == nullptr) {
        std::vector<QWidget *> chain;
        if (win->Root() != nullptr) {
            CollectChain(win->Root(), chain);
        }
        if (!chain.empty()) {
            chain.front()->setFocus();
        }
    }
    w->show();
    FitIntoScreen(w);  // again, with the frame now known
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        w->raise();
    }
    w->activateWindow();
}

// Draws the controls and the menu bar of a window disabled while it sleeps, and
// as their own MUIA_Disabled says once it wakes.
void ShowControlsAwake(Object *obj, bool awake)
{
    for (Object *child : obj->children) {
        ShowControlsAwake(child, awake);
    }
    const Gadget *gadget = As<Gadget>(obj);
    if (obj->kind == Kind::Menustrip && obj->widget != nullptr) {
        obj->widget->setEnabled(awake);
    } else if (gadget != nullptr && obj->focusWidget != nullptr && obj->widget != nullptr) {
        obj->widget->setEnabled(awake && !gadget->disabled);
    }
}

void SetSleep(Window *win, bool sleep)
{
    QWidget *w = win->widget;
    if (sleep) {
        if (win->sleepCount < 1000000 && ++win->sleepCount == 1 && w != nullptr) {
            w->setProperty("muiSleeping", true);
            w->setCursor(Qt::BusyCursor);
            win->awakeFocus = w->focusWidget();  // a disabled control loses the focus
            ShowControlsAwake(win, false);
        }
    } else if (win->sleepCount > 0 && --win->sleepCount == 0 && w != nullptr) {
        w->setProperty("muiSleeping", false);
        w->unsetCursor();
        ShowControlsAwake(win, true);
        if (win->awakeFocus != nullptr && win->awakeFocus->isEnabled()) {
            win->awakeFocus->setFocus(Qt::OtherFocusReason);
        }
        win->awakeFocus = nullptr;
    }
}

}  // namespace

Object *Window::Root() const
{
    for (Object *child : children) {
        if (child->kind != Kind::Menustrip) {
            return child;
        }
    }
    return nullptr;
}

Object *Window::Menustrip() const
{
    for (Object *child : children) {
        if (child->kind == Kind::Menustrip) {
            return child;
        }
    }
    return nullptr;
}

void Window::Close()
{
    if (!open || widget == nullptr) {
        open = false;
        return;
    }
    // The room wrapping texts take now is theirs, not the window's.
    SaveWindowPlace(TextAttr(ApplicationOf(this), MUIA_Application_Base), windowId,
                    QRect(widget->pos(), widget->size() - QSize(0, WrappingTextsHeight(widget))), sizeName);
    open = false;
    widget->hide();
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
    if (!rootGiven || root == nullptr || fails) {
        MUI_DisposeObject(root);
        MUI_DisposeObject(strip);
        return nullptr;
    }

    auto *obj = new Window;
    auto *w = new WindowWidget(obj);
    obj->widget = w;
    w->setCentralWidget(root->widget);
    root->parent = obj;
    obj->children.push_back(root);
    QString menuKeys;
    if (strip != nullptr) {
        auto *bar = qobject_cast<QMenuBar *>(strip->widget.data());
        w->setMenuBar(bar);
        strip->parent = obj;
        obj->children.push_back(strip);
        menuKeys = MarkActionKeys(bar->actions());
    }
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == MUIA_Window_Title || item->ti_Tag == MUIA_Window_ID ||
            item->ti_Tag == MUIA_Window_SizeName) {
            obj->Set(item->ti_Tag, item->ti_Data);
        }
    }
    InstallSleepFilter();
    RememberObject(obj);
    UpdateTabOrder(obj);
    NameControls(root);
    MarkButtonKeys(root, menuKeys);
    // F10 opens the menu bar; the arrow keys walk it.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), w);
    QObject::connect(menuKey, &QShortcut::activated, w, [w] {
        auto *bar = qobject_cast<QMenuBar *>(w->menuWidget());
        if (bar != nullptr && !bar->actions().isEmpty() && !WidgetSleeps(w)) {
            bar->setFocus(Qt::ShortcutFocusReason);
            bar->setActiveAction(bar->actions().first());
        }
    });
    return obj;
}

void Window::Set(Tag tag, IPTR data)
{
    Window *obj = this;
    switch (tag) {
    case MUIA_Window_Title: {
        const char *title = reinterpret_cast<const char *>(data);
        obj->title = title != nullptr ? title : "";
        if (obj->widget != nullptr) {
            obj->widget->setWindowTitle(FromUtf8(obj->title));
        }
        break;
    }
    case MUIA_Window_ID:
        obj->windowId = data;
        break;
    case MUIA_Window_SizeName: {
        const char *name = reinterpret_cast<const char *>(data);
        obj->sizeName = name != nullptr ? name : "";
        break;
    }
    case MUIA_Window_Open:
        if (data != 0) {
            OpenWindowObject(obj);
        } else {
            Close();
        }
        break;
    case MUIA_Window_Sleep:
        SetSleep(obj, data != 0);
        break;
    default:
        break;
    }
}

bool Window::Get(Tag tag, IPTR *storage)
{
    const Window *obj = this;
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
        *storage = reinterpret_cast<IPTR>(Root());
        return true;
    case MUIA_Window_Menustrip:
        *storage = reinterpret_cast<IPTR>(Menustrip());
        return true;
    default:
        return false;
    }
}

}  // namespace toolkit
