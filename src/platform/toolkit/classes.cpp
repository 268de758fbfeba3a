// Object creation by class name and by MUI_MakeObject type: each kind's maker.
#include <cstring>

#include "platform/toolkit/application.h"
#include "platform/toolkit/gadget.h"
#include "platform/toolkit/menu.h"
#include "platform/toolkit/window.h"

using namespace toolkit;

Object *MUI_NewObjectA(const char *className, const TagItem *tags)
{
    if (className == nullptr) {
        return nullptr;
    }
    const auto is = [className](const char *name) { return std::strcmp(className, name) == 0; };
    if (is(MUIC_Application)) {
        return NewApplication(tags);
    }
    if (is(MUIC_Window)) {
        return NewWindow(tags);
    }
    if (is(MUIC_Group)) {
        return NewGroup(tags);
    }
    const Kind kind = is(MUIC_Text)     ? Kind::Text
                      : is(MUIC_Cycle)  ? Kind::Cycle
                      : is(MUIC_Image)  ? Kind::Image
                      : is(MUIC_Slider) ? Kind::Slider
                                        : Kind::Application;
    return kind != Kind::Application ? NewGadget(kind, tags) : nullptr;
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
