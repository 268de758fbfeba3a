// Test hooks of the toolkit: user input without a display server, the object
// tree as text, the toolkit's own windows.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QSlider>

#include <cstdio>

#include "platform/toolkit_internal.h"

using namespace toolkit;

namespace {

std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\033') {
            out += "\\e";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Describe(const Object *obj)
{
    std::string line;
    char number[64];
    switch (obj->kind) {
    case Kind::Application:
        line = "Application base=" + Quoted(ApplicationBase(const_cast<Object *>(obj)));
        break;
    case Kind::Window:
        std::snprintf(number, sizeof number, "0x%08lx", static_cast<unsigned long>(obj->windowId));
        line = "Window id=" + std::string(number) + " title=" + Quoted(obj->text);
        break;
    case Kind::Group:
        line = "Group";
        if (obj->horizontal) {
            line += " horiz";
        }
        if (obj->columns > 1) {
            line += " columns=" + std::to_string(obj->columns);
        }
        if (obj->frame == MUIV_Frame_Group || !obj->frameTitle.empty()) {
            line += " frame";
        }
        if (!obj->frameTitle.empty()) {
            line += " " + Quoted(obj->frameTitle);
        }
        break;
    case Kind::Text:
        line = "Text " + Quoted(obj->preParse + obj->text);
        if (obj->frame != MUIV_Frame_None) {
            line += " framed";
        }
        if (obj->font == MUIV_Font_Big) {
            line += " big";
        }
        break;
    case Kind::Button:
        line = "Button " + Quoted(obj->text);
        break;
    case Kind::Cycle:
        line = "Cycle";
        for (const std::string &entry : obj->entries) {
            line += " " + Quoted(entry);
        }
        line += " active=" + std::to_string(obj->active);
        break;
    case Kind::CheckMark:
        line = "CheckMark selected=" + std::to_string(obj->selected ? 1 : 0);
        break;
    case Kind::PopUp:
        line = "PopUp";
        break;
    case Kind::Image:
        line = "Image " + std::to_string(obj->imageSpec);
        break;
    case Kind::Slider:
        line = "Slider " + std::to_string(obj->minimum) + ".." + std::to_string(obj->maximum) +
               " value=" + std::to_string(obj->value);
        break;
    case Kind::Label:
        line = "Label " + Quoted(obj->text);
        break;
    case Kind::Space:
        line = "Space " + std::to_string(obj->value);
        break;
    case Kind::Menustrip:
        line = "Menustrip";
        break;
    case Kind::Menu:
        line = "Menu " + Quoted(obj->text) + " udata=" + std::to_string(obj->userData);
        break;
    case Kind::MenuItem:
        if (obj->text.empty() && obj->commKey == 0 && obj->action != nullptr && obj->action->isSeparator()) {
            line = "Bar udata=" + std::to_string(obj->userData);
        } else {
            line = "Item " + Quoted(obj->text);
            if (obj->commKey != 0) {
                line += std::string(" key=") + obj->commKey;
            }
            line += " udata=" + std::to_string(obj->userData);
        }
        break;
    }
    if (obj->cycleChain) {
        line += " chain";
    }
    if (obj->disabled) {
        line += " disabled";
    }
    return line;
}

void DescribeInto(const Object *obj, int depth, std::string &out)
{
    out.append(std::size_t(depth) * 2, ' ');
    out += Describe(obj);
    out += '\n';
    for (const Object *child : obj->children) {
        DescribeInto(child, depth + 1, out);
    }
}

}  // namespace

bool MUI_SimulateInput(Object *obj, IPTR value)
{
    if (obj == nullptr || !IsLiveObject(obj) || ObjectSleeps(obj)) {
        return false;
    }
    switch (obj->kind) {
    case Kind::Window:
        RequestClose(obj);
        return true;
    case Kind::MenuItem:
        if (obj->action == nullptr || obj->action->isSeparator() || !obj->action->isEnabled()) {
            return false;
        }
        obj->action->trigger();
        return true;
    case Kind::Button:
    case Kind::PopUp:
    case Kind::CheckMark: {
        auto *button = qobject_cast<QAbstractButton *>(obj->widget.data());
        if (button == nullptr || !button->isEnabled()) {
            return false;
        }
        button->click();
        return true;
    }
    case Kind::Cycle: {
        auto *combo = qobject_cast<QComboBox *>(obj->widget.data());
        if (combo == nullptr || !combo->isEnabled() || value < 0 || value >= combo->count()) {
            return false;
        }
        combo->setCurrentIndex(int(value));
        return true;
    }
    case Kind::Slider: {
        auto *slider = qobject_cast<QSlider *>(obj->focusWidget.data());
        if (slider == nullptr || !slider->isEnabled()) {
            return false;
        }
        slider->setValue(int(std::clamp<IPTR>(value, slider->minimum(), slider->maximum())));
        return true;
    }
    default:
        return false;
    }
}

std::string MUI_DescribeTree(Object *obj)
{
    std::string out;
    if (obj != nullptr && IsLiveObject(obj)) {
        DescribeInto(obj, 0, out);
    }
    return out;
}

int MUI_ToolkitWindowCount(Object *app)
{
    if (app == nullptr || !IsLiveObject(app) || app->kind != Kind::Application) {
        return 0;
    }
    return OpenToolkitWindowCount(app);
}

void MUI_CloseToolkitWindows(Object *app)
{
    if (app != nullptr && IsLiveObject(app) && app->kind == Kind::Application) {
        CloseToolkitWindows(app);
    }
}
