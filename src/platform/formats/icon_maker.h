// Makes the bytes of small, valid Amiga .info icons: for the example drawer and for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum IconKind : std::uint8_t {
    ICON_DISK = 1,
    ICON_DRAWER = 2,
    ICON_TOOL = 3,
    ICON_PROJECT = 4,
};

struct IconSpec {
    std::uint8_t type = ICON_TOOL;
    std::vector<std::string> toolTypes{};
    bool toolTypeSection = false;  // a (possibly empty) list even with no tooltypes
    bool hasDefaultTool = false;
    std::string defaultTool{};
    bool hasToolWindow = false;
    std::string toolWindow{};
    bool drawerData = false;                   // drawer data; drawer data 2 too when revision is 1
    std::uint8_t revision = 1;                 // low byte of the gadget's user data
    bool selectImage = false;                  // a second image
    std::vector<std::string> newIconsLines{};  // after " " and the marker, when not empty
    bool os35 = false;                         // an OS 3.5 FORM ICON after the classic part
    bool png = false;                          // a PNG icon: the star as a PNG image (and selected image)
    bool iconChunk = true;                     // a PNG icon's icOn chunk: its attributes and tooltypes
};

// The icon's bytes. A PNG icon's icOn holds, in this order, the type, the stack
// size, the default tool, the tooltypes, the position (16, 24), the tool window and
// the drawer window; the selected image has an icOn of its own (stack, position).
std::string MakeIcon(const IconSpec &spec);

// A few NewIcons image lines (IM1= and IM2=, with bytes above 127), for tests.
std::vector<std::string> SampleNewIconsLines();
