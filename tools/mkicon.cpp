// mkicon: writes a small, valid Amiga .info icon with the given tooltypes.
//
//   mkicon OUT.info [--type tool|project|drawer|disk] [--default-tool TEXT]
//          [--tool-window TEXT] [--drawer-data] [--select-image] [--empty-list]
//          [--newicons] [--os35] [--revision N] [--png [--no-icon-chunk]] [--] [TOOLTYPE ...]
//
// --png makes a PNG icon of AmigaOS 4 and MorphOS instead: the attributes and
// tooltypes in its icOn chunk (none with --no-icon-chunk), --select-image a second image.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/formats/icon_maker.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: mkicon OUT.info [--type tool|project|drawer|disk] [--default-tool TEXT]\n"
                         "              [--tool-window TEXT] [--drawer-data] [--select-image] [--empty-list]\n"
                         "              [--newicons] [--os35] [--revision N] [--png [--no-icon-chunk]]\n"
                         "              [--] [TOOLTYPE ...]\n");
    return 2;
}

bool KindFromName(const char *name, std::uint8_t &type)
{
    static const struct {
        const char *name;
        IconKind kind;
    } kinds[] = {{"disk", ICON_DISK}, {"drawer", ICON_DRAWER}, {"tool", ICON_TOOL}, {"project", ICON_PROJECT}};
    for (const auto &k : kinds) {
        if (std::strcmp(name, k.name) == 0) {
            type = k.kind;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        return Usage();
    }
    const char *out = argv[1];
    IconSpec spec;
    bool options = true;
    for (int i = 2; i < argc; ++i) {
        const char *arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (options && std::strcmp(arg, "--") == 0) {
            options = false;
        } else if (options && std::strcmp(arg, "--type") == 0 && hasValue) {
            if (!KindFromName(argv[++i], spec.type)) {
                return Usage();
            }
        } else if (options && std::strcmp(arg, "--default-tool") == 0 && hasValue) {
            spec.hasDefaultTool = true;
            spec.defaultTool = argv[++i];
        } else if (options && std::strcmp(arg, "--tool-window") == 0 && hasValue) {
            spec.hasToolWindow = true;
            spec.toolWindow = argv[++i];
        } else if (options && std::strcmp(arg, "--revision") == 0 && hasValue) {
            spec.revision = static_cast<std::uint8_t>(std::atoi(argv[++i]));
        } else if (options && std::strcmp(arg, "--drawer-data") == 0) {
            spec.drawerData = true;
        } else if (options && std::strcmp(arg, "--select-image") == 0) {
            spec.selectImage = true;
        } else if (options && std::strcmp(arg, "--empty-list") == 0) {
            spec.toolTypeSection = true;
        } else if (options && std::strcmp(arg, "--newicons") == 0) {
            spec.newIconsLines = SampleNewIconsLines();
        } else if (options && std::strcmp(arg, "--os35") == 0) {
            spec.os35 = true;
        } else if (options && std::strcmp(arg, "--png") == 0) {
            spec.png = true;
        } else if (options && std::strcmp(arg, "--no-icon-chunk") == 0) {
            spec.iconChunk = false;
        } else if (options && std::strncmp(arg, "--", 2) == 0) {
            return Usage();
        } else {
            spec.toolTypes.emplace_back(arg);
        }
    }
    if (!spec.iconChunk && (!spec.png || !spec.toolTypes.empty())) {
        return Usage();  // a PNG icon without icOn has no place for tooltypes
    }
    if ((spec.type == ICON_DRAWER || spec.type == ICON_DISK) && !spec.drawerData) {
        spec.drawerData = true;  // drawers and disks open a window
    }
    const std::string bytes = MakeIcon(spec);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "mkicon: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
