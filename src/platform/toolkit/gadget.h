// Gadgets, groups, labels, gaps and menu entries: the area's attributes and
// the records of the kinds that hold more.
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit/object.h"

namespace toolkit {

struct Gadget : Object {
    using Object::Object;
    void Set(Tag tag, IPTR data) override;
    bool Get(Tag tag, IPTR *storage) override;

    IPTR frame = MUIV_Frame_None;
    IPTR font = MUIV_Font_Normal;
    IPTR inputMode = MUIV_InputMode_None;
    IPTR imageSpec = 0;
    bool cycleChain = false;
    bool disabled = false;
    bool shown = true;
    bool setMin = true;  // a text: false when it wraps within its window's width
    bool selected = false;
    bool pressed = false;
    IPTR userData = 0;
    char commKey = 0;      // menu items: the shortcut's key
    QChar accessKey;       // buttons: the letter Alt takes them with (case-folded), or none
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

// Creation; null when it fails. A group given a null child fails, disposing of
// the children it was given.
Object *NewGadget(Kind kind, const TagItem *tags);
Object *NewGroup(const TagItem *tags);
Object *NewLabel(const char *text, IPTR flags);
Object *NewSpace(IPTR height);
// Shows a text gadget's text (and a button's access key) in its widget.
void ShowText(Object *object);
// The height a window grew by to show its wrapping texts (MUIA_Text_SetMin 0).
int WrappingTextsHeight(QWidget *window);
// Gives a window that height, as far as its screen has room for it.
void ResizeWithinScreen(QWidget *window, int height);

}  // namespace toolkit
