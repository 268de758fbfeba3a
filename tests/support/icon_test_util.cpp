#include "support/icon_test_util.h"

#include "platform/formats/icon_maker.h"
#include "platform/icons/icon_store.h"
#include "support/temp_dir.h"

void WriteIcon(const std::string &path, const IconSpec &spec)
{
    WriteFileBytes(path, MakeIcon(spec));
}

std::vector<std::string> ToolTypesOf(char *const *toolTypes)
{
    std::vector<std::string> texts;
    for (char *const *entry = toolTypes; entry != nullptr && *entry != nullptr; ++entry) {
        texts.emplace_back(*entry);
    }
    return texts;
}

bool WriteToolTypes(const char *name, const std::vector<std::string> &texts)
{
    DiskObject *icon = GetDiskObject(name);
    if (icon == nullptr) {
        return false;
    }
    std::vector<std::string> copies = texts;
    std::vector<char *> list;
    for (std::string &text : copies) {
        list.push_back(text.data());
    }
    list.push_back(nullptr);
    char **own = icon->do_ToolTypes;
    icon->do_ToolTypes = list.data();
    bool written = PutDiskObject(name, icon);
    icon->do_ToolTypes = own;
    FreeDiskObject(icon);
    return written;
}

std::vector<std::string> ReadToolTypes(const char *name)
{
    DiskObject *icon = GetDiskObject(name);
    if (icon == nullptr) {
        return {"(no icon)"};
    }
    std::vector<std::string> texts = ToolTypesOf(icon->do_ToolTypes);
    FreeDiskObject(icon);
    return texts;
}
