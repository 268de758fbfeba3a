// Gadgets and groups: texts, buttons, cycles, checkmarks, pop-up buttons,
// sliders, labels, gaps and the group layouts that hold them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/escapes.h"
#include "platform/toolkit/gadget.h"

namespace toolkit {

namespace {

constexpr IPTR kMaxSpace = 4096;  // pixels; a larger gap is cut to this

bool IsTextLike(const Object *obj)
{
    return obj->kind == Kind::Text || obj->kind == Kind::Button || obj->kind == Kind::Label;
}

QSlider *SliderOf(Object *obj)
{
    return qobject_cast<QSlider *>(obj->focusWidget.data());
}

void NormaliseNumeric(Numeric *obj)
{
    if (obj->maximum < obj->minimum) {
        obj->maximum = obj->minimum;
    }
    // Values outside the range are shown, and read back, at the nearest end.
    obj->value = std::clamp(obj->value, obj->minimum, obj->maximum);
}

void StoreEntries(Cycle *obj, IPTR data)
{
    obj->entries.clear();
    const auto *list = reinterpret_cast<const char *const *>(data);
    for (int i = 0; list != nullptr && list[i] != nullptr && i < 1000; ++i) {
        obj->entries.emplace_back(list[i]);
    }
}

// Stores one attribute in the record; true when the attribute is known.
bool StoreAttr(Gadget *obj, Tag tag, IPTR data)
{
    Cycle *cycle = As<Cycle>(obj);
    Numeric *numeric = As<Numeric>(obj);
    switch (tag) {
    case MUIA_Frame:
        obj->frame = data;
        return true;
    case MUIA_FrameTitle:
        obj->frameTitle = CopyText(data);
        return true;
    case MUIA_Font:
        obj->font = data;
        return true;
    case MUIA_CycleChain:
        obj->cycleChain = data != 0;
        return true;
    case MUIA_InputMode:
        obj->inputMode = data;
        return true;
    case MUIA_Disabled:
        obj->disabled = data != 0;
        return true;
    case MUIA_ShowMe:
        obj->shown = data != 0;
        return true;
    case MUIA_Text_SetMin:
        obj->setMin = data != 0;
        return true;
    case MUIA_Selected:
        obj->selected = data != 0;
        return true;
    case MUIA_Pressed:
        obj->pressed = data != 0;
        return true;
    case MUIA_UserData:
        obj->userData = data;
        return true;
    case MUIA_Text_Contents:
        obj->text = CopyText(data);
        return true;
    case MUIA_Text_PreParse:
        obj->preParse = CopyText(data);
        return true;
    case MUIA_Menuitem_Title:
        if (obj->kind != Kind::MenuItem) {
            return false;
        }
        obj->text = CopyText(data);
        return true;
    case MUIA_Cycle_Entries:
        if (cycle == nullptr) {
            return false;
        }
        StoreEntries(cycle, data);
        cycle->active = cycle->entries.empty() ? 0 : std::min<IPTR>(cycle->active, IPTR(cycle->entries.size()) - 1);
        return true;
    case MUIA_Cycle_Active:
        if (cycle == nullptr) {
            return false;
        }
        // An entry that does not exist is not taken.
        if (data >= 0 && data < IPTR(cycle->entries.size())) {
            cycle->active = data;
        }
        return true;
    case MUIA_Image_Spec:
        obj->imageSpec = data;
        return true;
    case MUIA_Numeric_Min:
    case MUIA_Numeric_Max:
    case MUIA_Numeric_Value:
        if (numeric == nullptr) {
            return false;
        }
        (tag == MUIA_Numeric_Min   ? numeric->minimum
         : tag == MUIA_Numeric_Max ? numeric->maximum
                                   : numeric->value) = data;
        return true;
    default:
        return false;
    }
}

// A text that takes the width its window gives it and never asks for more: it
// wraps at spaces and is as tall as its lines there. Shown in an open window,
// the window grows by the room it takes (within its screen) and gives that room
// back when it is hidden; the room is not kept as the window's remembered size.
class WrappingLabel : public QLabel {
public:
    WrappingLabel()
    {
        setWordWrap(true);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setProperty("muiWraps", true);
    }

    QSize sizeHint() const override { return {0, heightForWidth(width())}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The height its window grew by to show it.
    int Room() const { return room_; }

    // Shows or hides it, its window growing by the room it takes or giving that
    // room back; shown again, it takes the room its text needs now.
    void Show(bool shown)
    {
        QWidget *top = window();
        const QLayout *layout = parentWidget() != nullptr ? parentWidget()->layout() : nullptr;
        if (top == this || !top->isVisible() || layout == nullptr || top->layout() == nullptr) {
            setVisible(shown);
            return;
        }
        const int base = top->height() - room_;
        if (shown) {
            // Laid out at the width its parent's layout has for it.
            resize(layout->contentsRect().width(), height());
        }
        setVisible(shown);
        top->layout()->activate();  // the window's least height, with it or without it
        ResizeWithinScreen(top, shown ? base + heightForWidth(width()) + std::max(layout->spacing(), 0) : base);
        room_ = shown ? top->height() - base : 0;
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        if (event->oldSize().width() != width()) {
            updateGeometry();  // as tall as its lines at the new width
        }
    }

private:
    int room_ = 0;
};

void ApplyFont(Object *obj);

// Brings the widget in line with one stored attribute, without emitting signals.
void SyncAttr(Gadget *obj, Tag tag)
{
    QWidget *w = obj->widget;
    switch (tag) {
    case MUIA_Disabled:
        if (obj->action != nullptr) {
            obj->action->setEnabled(!obj->disabled);
        } else if (w != nullptr) {
            // A sleeping window's controls are drawn disabled until it wakes.
            w->setEnabled(!obj->disabled && (obj->focusWidget == nullptr || !ObjectSleeps(obj)));
        }
        break;
    case MUIA_ShowMe:
        // A widget not yet in a window would show as a window of its own.
        if (w != nullptr && (w->parentWidget() != nullptr || !obj->shown)) {
            if (auto *wrapping = dynamic_cast<WrappingLabel *>(w)) {
                wrapping->Show(obj->shown);
            } else {
                w->setVisible(obj->shown);
            }
        }
        break;
    case MUIA_Selected:
        if (auto *button = qobject_cast<QAbstractButton *>(w); button != nullptr && button->isCheckable()) {
            const QSignalBlocker block(button);
            button->setChecked(obj->selected);
        }
        break;
    case MUIA_Text_Contents:
    case MUIA_Text_PreParse:
        ShowText(obj);
        if (auto *wrapping = dynamic_cast<WrappingLabel *>(w); wrapping != nullptr && wrapping->isVisible()) {
            wrapping->Show(true);  // as many lines as the new text takes
        }
        break;
    case MUIA_Font:
        ApplyFont(obj);
        break;
    case MUIA_Menuitem_Title:
        if (obj->action != nullptr) {
            obj->action->setText(FromUtf8(obj->text).replace(QLatin1Char('&'), QLatin1String("&&")));
            obj->action->setVisible(!obj->text.empty());
            // A title given later takes a key among its menu's items, as those made with it did.
            for (QObject *holder : obj->action->associatedObjects()) {
                if (auto *menu = qobject_cast<QMenu *>(holder)) {
                    MarkActionKeys(menu->actions());
                }
            }
        }
        break;
    case MUIA_CycleChain:
        if (obj->focusWidget != nullptr) {
            obj->focusWidget->setFocusPolicy(obj->cycleChain ? Qt::StrongFocus : Qt::NoFocus);
        }
        break;
    case MUIA_Cycle_Entries:
        if (auto *combo = qobject_cast<QComboBox *>(w); combo != nullptr && As<Cycle>(obj) != nullptr) {
            const QSignalBlocker block(combo);
            combo->clear();
            for (const std::string &entry : As<Cycle>(obj)->entries) {
                combo->addItem(FromUtf8(entry));
            }
            combo->setCurrentIndex(int(As<Cycle>(obj)->active));
        }
        break;
    case MUIA_Cycle_Active:
        if (auto *combo = qobject_cast<QComboBox *>(w); combo != nullptr && As<Cycle>(obj) != nullptr) {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(int(As<Cycle>(obj)->active));
        }
        break;
    case MUIA_Numeric_Min:
    case MUIA_Numeric_Max:
    case MUIA_Numeric_Value:
        if (QSlider *slider = SliderOf(obj); slider != nullptr && As<Numeric>(obj) != nullptr) {
            const Numeric *numeric = As<Numeric>(obj);
            const QSignalBlocker block(slider);
            const auto narrow = [](IPTR v) { return int(std::clamp<IPTR>(v, INT32_MIN, INT32_MAX)); };
            slider->setRange(narrow(numeric->minimum), narrow(numeric->maximum));
            slider->setValue(narrow(numeric->value));
            slider->setPageStep(std::max(1, (slider->maximum() - slider->minimum()) / 10));
            if (auto *shown = w->findChild<QLabel *>()) {
                shown->setNum(slider->value());
            }
        }
        break;
    default:
        break;
    }
}

// A framed text that never widens its window past the screen: a text longer
// than its room is cut with an ellipsis, shown whole in its tooltip and read
// whole by a screen reader.
class ElidingLabel : public QLabel {
public:
    void SetFullText(const QString &text)
    {
        full_ = text;
        setAccessibleName(text);
        updateGeometry();
        Elide();
    }

    QSize sizeHint() const override
    {
        QSize hint = QLabel::sizeHint();
        const int room = fontMetrics().averageCharWidth() * kWidestChars;
        hint.setWidth(std::min(hint.width(), room));
        return hint;
    }

    QSize minimumSizeHint() const override
    {
        QSize hint = QLabel::minimumSizeHint();
        hint.setWidth(std::min(hint.width(), fontMetrics().averageCharWidth() * 12));
        return hint;
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    static constexpr int kWidestChars = 60;

    void Elide()
    {
        const int room = contentsRect().width() - 2 * margin() - 2 * indent();
        const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
        setToolTip(shown != full_ ? full_ : QString());
        if (text() != shown) {
            setText(shown);
        }
    }

    QString full_;
};

QLabel *NewTextLabel(const Gadget *obj)
{
    if (obj->kind == Kind::Text && !obj->setMin) {
        return new WrappingLabel;
    }
    QLabel *label = obj->kind == Kind::Text && obj->frame == MUIV_Frame_Text ? new ElidingLabel : new QLabel;
    switch (obj->frame) {
    case MUIV_Frame_Text:
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        break;
    case MUIV_Frame_Button:
    case MUIV_Frame_ImageButton:
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        break;
    case MUIV_Frame_Group:
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        break;
    default:
        break;
    }
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    // A text is as tall as its lines: a window made taller gives the room to its controls.
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return label;
}

void SetBigFont(QWidget *widget)
{
    QFont big = QApplication::font();
    big.setBold(true);
    if (big.pointSizeF() > 0) {
        big.setPointSizeF(big.pointSizeF() * 1.4);
    } else if (big.pixelSize() > 0) {
        big.setPixelSize(big.pixelSize() * 14 / 10);
    }
    widget->setFont(big);
}

// Keeps big texts big, and of the application's family, when the application's font changes.
class BigFonts : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ApplicationFontChange && watched == QCoreApplication::instance()) {
            for (QWidget *widget : QApplication::allWidgets()) {
                if (widget->property("muiBigFont").toBool()) {
                    SetBigFont(widget);
                }
            }
        }
        return false;
    }
};

void ApplyFont(Object *obj)
{
    const Gadget *gadget = As<Gadget>(obj);
    if (gadget == nullptr || obj->widget == nullptr || gadget->font != MUIV_Font_Big) {
        return;
    }
    static QPointer<BigFonts> follower;
    if (follower.isNull()) {
        follower = new BigFonts(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(follower);
    }
    obj->widget->setProperty("muiBigFont", true);
    SetBigFont(obj->widget);
}

void ConnectButton(Object *obj, QAbstractButton *button)
{
    // A completed click, by mouse or keyboard: pressed, then released over it.
    QObject::connect(button, &QAbstractButton::clicked, button, [obj] {
        ChangeAttr(obj, MUIA_Pressed, 1);
        ChangeAttr(obj, MUIA_Pressed, 0);
    });
    if (button->isCheckable()) {
        QObject::connect(button, &QAbstractButton::toggled, button,
                         [obj](bool on) { ChangeAttr(obj, MUIA_Selected, on ? 1 : 0); });
    }
}

QWidget *MakeSlider(Numeric *obj)
{
    auto *box = new QWidget;
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *slider = new QSlider(Qt::Horizontal);
    auto *shown = new QLabel;
    // Room for the widest number of the range.
    const int digits = std::max(std::snprintf(nullptr, 0, "%ld", long(obj->minimum)),
                                std::snprintf(nullptr, 0, "%ld", long(obj->maximum)));
    shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))));
    shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(slider, 1);
    layout->addWidget(shown);
    obj->focusWidget = slider;
    QObject::connect(slider, &QSlider::valueChanged, slider, [obj, shown](int v) {
        shown->setNum(v);
        ChangeAttr(obj, MUIA_Numeric_Value, v);
    });
    return box;
}

// Makes the widget of a gadget whose attributes are stored; null when it cannot be made.
QWidget *MakeWidget(Gadget *obj)
{
    switch (obj->kind) {
    case Kind::Text:
    case Kind::Label:
    case Kind::Image:
        return NewTextLabel(obj);
    case Kind::Button: {
        auto *button = new QPushButton;
        button->setCheckable(obj->inputMode == MUIV_InputMode_Toggle);
        button->setAutoDefault(false);
        obj->focusWidget = button;
        ConnectButton(obj, button);
        return button;
    }
    case Kind::PopUp: {
        auto *button = new QToolButton;
        button->setArrowType(Qt::DownArrow);
        obj->focusWidget = button;
        ConnectButton(obj, button);
        return button;
    }
    case Kind::CheckMark: {
        auto *check = new QCheckBox;
        check->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // all of it is the tick box
        obj->focusWidget = check;
        QObject::connect(check, &QCheckBox::toggled, check,
                         [obj](bool on) { ChangeAttr(obj, MUIA_Selected, on ? 1 : 0); });
        return check;
    }
    case Kind::Cycle: {
        if (As<Cycle>(obj)->entries.empty()) {
            return nullptr;
        }
        auto *combo = new QComboBox;
        obj->focusWidget = combo;
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [obj](int index) {
            if (index >= 0) {
                ChangeAttr(obj, MUIA_Cycle_Active, index);
            }
        });
        return combo;
    }
    case Kind::Slider:
        return MakeSlider(As<Numeric>(obj));
    default:
        return nullptr;
    }
}

// Picks the widget kind from the class and the input mode, frame and image.
Kind GadgetKind(Kind classKind, const Gadget *obj)
{
    if (classKind == Kind::Text && obj->inputMode != MUIV_InputMode_None &&
        (obj->frame == MUIV_Frame_Button || obj->frame == MUIV_Frame_ImageButton)) {
        return Kind::Button;
    }
    if (classKind == Kind::Image) {
        if (obj->imageSpec == MUII_CheckMark && obj->inputMode == MUIV_InputMode_Toggle) {
            return Kind::CheckMark;
        }
        if (obj->imageSpec == MUII_PopUp && obj->inputMode != MUIV_InputMode_None) {
            return Kind::PopUp;
        }
    }
    return classKind;
}

// Shows every stored attribute in a new widget.
void SyncAll(Gadget *obj)
{
    for (Tag tag : {MUIA_Cycle_Entries, MUIA_Numeric_Value, MUIA_Selected, MUIA_Text_Contents, MUIA_Font,
                    MUIA_CycleChain, MUIA_Disabled, MUIA_ShowMe}) {
        SyncAttr(obj, tag);
    }
}

Object *Finish(Gadget *obj, QWidget *widget)
{
    obj->widget = widget;
    if (obj->focusWidget == nullptr) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    SyncAll(obj);
    RememberObject(obj);
    return obj;
}

// A further key for a menu item, unless an item of the same menu strip has it.
void AddExtraKey(Gadget *item, const char *name)
{
    const QKeySequence key = QKeySequence::fromString(QString::fromLatin1(name != nullptr ? name : ""));
    if (item->kind != Kind::MenuItem || item->action == nullptr || key.isEmpty()) {
        return;
    }
    const Object *strip = item->parent != nullptr ? item->parent->parent : nullptr;
    for (const Object *menu : strip != nullptr ? strip->children : std::vector<Object *>{}) {
        for (const Object *other : menu->children) {
            if (other->action != nullptr && other->action->shortcuts().contains(key)) {
                return;
            }
        }
    }
    const QList<QKeySequence> keys = item->action->shortcuts() << key;
    item->action->setShortcuts(keys);
    // A menu shows only an action's first key, unless its text names them all.
    QStringList names;
    for (const QKeySequence &each : keys) {
        names << each.toString(QKeySequence::NativeText);
    }
    const QString text = item->action->text();
    item->action->setText(text.left(text.indexOf(QLatin1Char('\t'))) + QLatin1Char('\t') +
                          names.join(QLatin1String(", ")));
}

}  // namespace

int WrappingTextsHeight(QWidget *window)
{
    int room = 0;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (const auto *wrapping = dynamic_cast<const WrappingLabel *>(label)) {
            room += wrapping->Room();
        }
    }
    return room;
}

void ResizeWithinScreen(QWidget *window, int height)
{
    if (const QScreen *screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        const int decoration = window->frameGeometry().height() - window->height();
        height = std::min(height, area.height() - decoration);
        if (window->frameGeometry().top() + decoration + height > area.bottom() + 1) {
            window->move(window->x(), std::max(area.top(), area.bottom() + 1 - decoration - height));
        }
    }
    window->resize(window->width(), height);
}

void ShowText(Object *object)
{
    const Gadget *obj = As<Gadget>(object);
    if (obj == nullptr) {
        return;
    }
    const std::string full = obj->preParse + obj->text;
    if (auto *button = qobject_cast<QAbstractButton *>(obj->widget.data())) {
        const QString text = StripEscapes(full);
        const qsizetype at = obj->accessKey.isNull() ? -1 : text.toCaseFolded().indexOf(obj->accessKey);
        button->setText(WithAccessKey(text, static_cast<int>(at)));
        return;
    }
    auto *label = qobject_cast<QLabel *>(obj->widget.data());
    if (label == nullptr) {
        return;
    }
    Qt::Alignment fallback = Qt::AlignLeft;
    if (obj->kind == Kind::Label && (obj->labelFlags & MUIO_Label_LeftAligned) == 0) {
        fallback = Qt::AlignRight;
    }
    label->setAlignment(EscapeAlignment(full, fallback) | Qt::AlignVCenter);
    if (HasStyleEscapes(full)) {
        label->setTextFormat(Qt::RichText);
        label->setText(EscapesToHtml(full));
    } else {
        label->setTextFormat(Qt::PlainText);
        if (auto *eliding = dynamic_cast<ElidingLabel *>(label)) {
            eliding->SetFullText(StripEscapes(full));
        } else {
            label->setText(StripEscapes(full));
        }
    }
}

Object *NewGadget(Kind kind, const TagItem *tags)
{
    if (CreationFails()) {
        return nullptr;
    }
    Gadget *obj = kind == Kind::Cycle ? new Cycle : kind == Kind::Slider ? new Numeric(kind) : new Gadget(kind);
    bool valueGiven = false;
    IPTR active = 0;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == MUIA_Cycle_Active) {
            active = item->ti_Data;  // taken once the entries are known
            continue;
        }
        valueGiven |= item->ti_Tag == MUIA_Numeric_Value;
        StoreAttr(obj, item->ti_Tag, item->ti_Data);
    }
    StoreAttr(obj, MUIA_Cycle_Active, active);
    if (Numeric *numeric = As<Numeric>(obj)) {
        if (!valueGiven) {
            numeric->value = numeric->minimum;
        }
        NormaliseNumeric(numeric);
    }
    obj->kind = GadgetKind(kind, obj);
    QWidget *widget = MakeWidget(obj);
    if (widget == nullptr) {
        delete obj;
        return nullptr;
    }
    return Finish(obj, widget);
}

Object *NewLabel(const char *text, IPTR flags)
{
    if (CreationFails()) {
        return nullptr;
    }
    auto *obj = new Gadget(Kind::Label);
    obj->text = text != nullptr ? text : "";
    obj->labelFlags = flags;
    return Finish(obj, NewTextLabel(obj));
}

Object *NewSpace(IPTR height)
{
    if (CreationFails()) {
        return nullptr;
    }
    auto *obj = new Numeric(Kind::Space);
    obj->value = std::clamp<IPTR>(height, 0, kMaxSpace);
    auto *gap = new QWidget;
    gap->setFixedHeight(int(obj->value));
    gap->setProperty("muiSpace", true);  // a window too tall for its screen narrows it
    gap->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    return Finish(obj, gap);
}

Object *NewGroup(const TagItem *tags)
{
    std::vector<Object *> children;
    bool missingChild = false;
    bool horizontal = false;
    IPTR columns = 0;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag == MUIA_Group_Child) {
            Object *child = reinterpret_cast<Object *>(item->ti_Data);
            if (child == nullptr || !IsLiveObject(child) || child->parent != nullptr || child->widget == nullptr ||
                child->kind == Kind::Application || child->kind == Kind::Window) {
                missingChild = true;
            } else {
                children.push_back(child);
            }
        } else if (item->ti_Tag == MUIA_Group_Horiz) {
            horizontal = item->ti_Data != 0;
        } else if (item->ti_Tag == MUIA_Group_Columns) {
            columns = item->ti_Data;
        }
    }
    const bool fails = CreationFails();
    if (missingChild || fails) {
        for (Object *child : children) {
            MUI_DisposeObject(child);
        }
        return nullptr;
    }

    auto *obj = new Group;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        if (item->ti_Tag != MUIA_Group_Child) {
            StoreAttr(obj, item->ti_Tag, item->ti_Data);
        }
    }
    obj->columns = columns;
    obj->horizontal = horizontal;

    QWidget *box = nullptr;
    const bool framed = obj->frame == MUIV_Frame_Group || !obj->frameTitle.empty();
    if (framed) {
        box = new QGroupBox(FromUtf8(obj->frameTitle));
    } else {
        box = new QWidget;
    }
    QLayout *layout = nullptr;
    if (columns > 1) {
        auto *grid = new QGridLayout(box);
        const int n = int(std::min<IPTR>(columns, 64));
        for (std::size_t i = 0; i < children.size(); ++i) {
            grid->addWidget(children[i]->widget, int(i) / n, int(i) % n);
        }
        layout = grid;
    } else {
        auto *line = horizontal ? static_cast<QBoxLayout *>(new QHBoxLayout(box))
                                : static_cast<QBoxLayout *>(new QVBoxLayout(box));
        for (Object *child : children) {
            line->addWidget(child->widget);
        }
        layout = line;
    }
    if (!framed) {
        layout->setContentsMargins(0, 0, 0, 0);
    }
    for (Object *child : children) {
        child->parent = obj;
        obj->children.push_back(child);
    }
    return Finish(obj, box);
}

void Gadget::Set(Tag tag, IPTR data)
{
    Gadget *obj = this;
    if (obj->kind == Kind::Group && (tag == MUIA_Group_Child || tag == MUIA_Group_Horiz || tag == MUIA_Group_Columns)) {
        return;  // fixed at creation
    }
    if (tag == MUIA_Cycle_Active && obj->kind != Kind::Cycle) {
        return;
    }
    if (tag == MUIA_Menuitem_ExtraKey) {
        AddExtraKey(obj, reinterpret_cast<const char *>(data));
        return;
    }
    if (!StoreAttr(obj, tag, data)) {
        return;
    }
    Numeric *numeric = As<Numeric>(obj);
    if (numeric != nullptr && (tag == MUIA_Numeric_Min || tag == MUIA_Numeric_Max || tag == MUIA_Numeric_Value)) {
        NormaliseNumeric(numeric);
    }
    SyncAttr(obj, tag);
}

bool Gadget::Get(Tag tag, IPTR *storage)
{
    const Gadget *obj = this;
    switch (tag) {
    case MUIA_Disabled:
        *storage = obj->disabled ? 1 : 0;
        return true;
    case MUIA_Selected:
        *storage = obj->selected ? 1 : 0;
        return true;
    case MUIA_Pressed:
        *storage = obj->pressed ? 1 : 0;
        return true;
    case MUIA_CycleChain:
        *storage = obj->cycleChain ? 1 : 0;
        return true;
    case MUIA_UserData:
        *storage = obj->userData;
        return true;
    case MUIA_Text_Contents:
        if (!IsTextLike(obj)) {
            return false;
        }
        *storage = reinterpret_cast<IPTR>(obj->text.c_str());
        return true;
    case MUIA_Menuitem_Title:
        if (obj->kind != Kind::MenuItem) {
            return false;
        }
        *storage = reinterpret_cast<IPTR>(obj->text.c_str());
        return true;
    case MUIA_Cycle_Active:
        if (obj->kind != Kind::Cycle) {
            return false;
        }
        *storage = As<Cycle>(obj)->active;
        return true;
    case MUIA_Numeric_Value:
    case MUIA_Numeric_Min:
    case MUIA_Numeric_Max:
        if (obj->kind != Kind::Slider) {
            return false;
        }
        *storage = tag == MUIA_Numeric_Value ? As<Numeric>(obj)->value
                   : tag == MUIA_Numeric_Min ? As<Numeric>(obj)->minimum
                                             : As<Numeric>(obj)->maximum;
        return true;
    default:
        return false;
    }
}

}  // namespace toolkit
