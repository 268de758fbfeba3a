#include "platform/icons/disk_object.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/formats/charset.h"
#include "platform/icons/disk_object_file.h"

bool ParseIconFile(IconFile &file)
{
    file.png = IsPngIcon(file.bytes);
    return file.png ? ParsePngIcon(file.bytes, file.pngLayout) : ParseIcon(file.bytes, file.layout);
}

std::unique_ptr<DiskObject> NewDiskObject(std::unique_ptr<IconFile> parsed)
{
    IconFile &file = *parsed;
    std::unique_ptr<DiskObject> icon(
        new DiskObject{0, nullptr, nullptr, NO_ICON_POSITION, NO_ICON_POSITION, 0, std::move(parsed)});
    if (file.png) {
        for (PngIconTagEntry &tag : file.pngLayout.tags) {
            auto value = static_cast<std::int32_t>(tag.value);
            switch (tag.tag) {
            case ATTR_TOOLTYPE:
                file.list.push_back(tag.text.data());
                break;
            case ATTR_DEFAULTTOOL:
                icon->do_DefaultTool = tag.text.data();
                break;
            case ATTR_STACKSIZE:
                icon->do_StackSize = value;
                break;
            case ATTR_ICONX:
                icon->do_CurrentX = value;
                break;
            case ATTR_ICONY:
                icon->do_CurrentY = value;
                break;
            case ATTR_TYPE:
                icon->do_Type = tag.value <= 0xFF ? static_cast<std::uint8_t>(tag.value) : 0;
                break;
            default:
                break;
            }
        }
    } else {
        std::vector<std::string> &entries = file.layout.entries;
        file.list.reserve(file.layout.imageBlockStart + 1);
        for (std::size_t i = 0; i < file.layout.imageBlockStart; ++i) {
            file.list.push_back(entries[i].data());
        }
        icon->do_Type = file.layout.type;
        icon->do_DefaultTool = file.layout.hasDefaultTool ? file.layout.defaultTool.data() : nullptr;
        icon->do_CurrentX = file.layout.currentX;
        icon->do_CurrentY = file.layout.currentY;
        icon->do_StackSize = file.layout.stackSize;
    }
    file.list.push_back(nullptr);
    icon->do_ToolTypes = file.list.data();
    return icon;
}

DiskObject *DiskObjectOfBytes(std::vector<std::uint8_t> bytes)
{
    auto file = std::make_unique<IconFile>();
    file->bytes = std::move(bytes);
    file->read = {};
    return ParseIconFile(*file) ? NewDiskObject(std::move(file)).release() : nullptr;
}

bool IconNameLeavesDrawer(const char *name)
{
    const std::string_view text = name != nullptr ? name : "";
    if (text.empty() || text[0] == '/' || text.find(':') != std::string_view::npos) {
        return true;
    }
    // An empty part is the Amiga's parent ("a//b"), as ".." is the host's.
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t slash = std::min(text.find('/', start), text.size());
        const std::string_view part = text.substr(start, slash - start);
        if (part.empty() || part == "..") {
            return true;
        }
        start = slash + 1;
    }
    return false;
}

bool IsIconFileName(std::string_view path)
{
    constexpr std::string_view suffix = ".info";
    const std::size_t slash = path.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return base.size() > suffix.size() &&
           CompareNoCase(base.data() + base.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

char *FindToolType(char **toolTypes, const char *key)
{
    if (toolTypes == nullptr || key == nullptr) {
        return nullptr;
    }
    for (char **entry = toolTypes; *entry != nullptr; ++entry) {
        if (const char *value = ToolTypeValue(*entry, key)) {
            return *entry + (value - *entry);
        }
    }
    return nullptr;
}

void FreeDiskObject(DiskObject *icon)
{
    if (icon == nullptr) {
        return;
    }
    delete icon;
}

DiskObject::~DiskObject() = default;
