// Test hooks of the toolkit: failure switches, user input without a display
// server, the object tree as text, the toolkit's own windows.
#include "platform/toolkit/testing/toolkit_testing.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QSlider>

#include <algorithm>
#include <cstdio>

#include "platform/toolkit/application.h"
#include "platform/toolkit/gadget.h"
#include "platform/toolkit/window.h"

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
    const Gadget *g = As<Gadget>(obj);
    const Window *win = As<Window>(obj);
    const Group *group = As<Group>(obj);
    const Cycle *cycle = As<Cycle>(obj);
    const Numeric *numeric = As<Numeric>(obj);
    switch (obj->kind) {
    case Kind::Application:
        line = "Application base=" + Quoted(As<Application>(obj)->base);
        break;
    case Kind::Window:
        std::snprintf(number, sizeof number, "0x%08lx", static_cast<unsigned long>(win->windowId));
        line = "Window id=" + std::string(number) + " title=" + Quoted(win->title);
        break;
    case Kind::Group:
        line = "Group";
        if (group->horizontal) {
            line += " horiz";
        }
        if (group->columns > 1) {
            line += " columns=" + std::to_string(group->columns);
        }
        if (g->frame == MUIV_Frame_Group || !g->frameTitle.empty()) {
            line += " frame";
        }
        if (!g->frameTitle.empty()) {
            line += " " + Quoted(g->frameTitle);
        }
        break;
    case Kind::Text:
        line = "Text " + Quoted(g->preParse + g->text);
        if (g->frame != MUIV_Frame_None) {
            line += " framed";
        }
        if (g->font == MUIV_Font_Big) {
            line += " big";
        }
        break;
    case Kind::Button:
        line = "Button " + Quoted(g->text);
        break;
    case Kind::Cycle:
        line = "Cycle";
        for (const std::string &entry : cycle->entries) {
            line += " " + Quoted(entry);
        }
        line += " active=" + std::to_string(cycle->active);
        break;
    case Kind::CheckMark:
        line = "CheckMark selected=" + std::to_string(g->selected ? 1 : 0);
        break;
    case Kind::PopUp:
        line = "PopUp";
        break;
    case Kind::Image:
        line = "Image " + std::to_string(g->imageSpec);
        break;
    case Kind::Slider:
        line = "Slider " + std::to_string(numeric->minimum) + ".." + std::to_string(numeric->maximum) +
               " value=" + std::to_string(numeric->value);
        break;
    case Kind::Label:
        line = "Label " + Quoted(g->text);
        break;
    case Kind::Space:
        line = "Space " + std::to_string(numeric->value);
        break;
    case Kind::Menustrip:
        line = "Menustrip";
        break;
    case Kind::Menu:
        line = "Menu " + Quoted(g->text) + " udata=" + std::to_string(g->userData);
        break;
    case Kind::MenuItem:
        if (g->text.empty() && g->commKey == 0 && obj->action != nullptr && obj->action->isSeparator()) {
            line = "Bar udata=" + std::to_string(g->userData);
        } else {
            line = "Item " + Quoted(g->text);
            if (g->commKey != 0) {
                line += std::string(" key=") + g->commKey;
            }
            line += " udata=" + std::to_string(g->userData);
        }
        break;
    }
    if (g != nullptr && g->cycleChain) {
        line += " chain";
    }
    if (g != nullptr && g->disabled) {
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

void MUI_FailObjectCreation(int n)
{
    seams::failCountdown = n > 0 ? n : 0;
}

void MUI_SetRequestHook(MuiRequestHook hook)
{
    if (!hook) {
        seams::requesterHook = nullptr;
        return;
    }
    seams::requesterHook = [hook](const char *title, const char *body, const char *) { return hook(title, body); };
}

void SetEasyRequestHook(EasyRequestHook hook)
{
    seams::requesterHook = std::move(hook);
}

void MUI_SetToolkitSettingsFile(const char *path)
{
    seams::settingsFile = path != nullptr ? QString::fromLocal8Bit(path) : QString();
}

bool MUI_DrawnDisabled(Object *obj)
{
    return obj != nullptr && obj->widget != nullptr && !obj->widget->isEnabled();
}

bool MUI_SimulateInput(Object *obj, IPTR value)
{
    if (obj == nullptr || !IsLiveObject(obj) || ObjectSleeps(obj)) {
        return false;
    }
    switch (obj->kind) {
    case Kind::Window:
        ChangeAttr(obj, MUIA_Window_CloseRequest, 1);
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
    const Application *application = IsLiveObject(app) ? As<Application>(app) : nullptr;
    if (application == nullptr) {
        return 0;
    }
    int count = 0;
    for (const QDialog *dialog : {application->about.data(), application->config.data()}) {
        count += dialog != nullptr && dialog->isVisible() ? 1 : 0;
    }
    return count;
}

void MUI_CloseToolkitWindows(Object *app)
{
    Application *application = IsLiveObject(app) ? As<Application>(app) : nullptr;
    if (application == nullptr) {
        return;
    }
    for (QDialog *dialog : {application->about.data(), application->config.data()}) {
        if (dialog != nullptr) {
            dialog->hide();
        }
    }
}
