// The icon store: Amiga .info icons, classic or PNG, read from and written to
// disk, with their tooltype lists. Only the tooltypes are ever changed by a write.
#pragma once

#include <cstdint>

struct IconFile;  // the parsed file, owned by the store

// The position of an icon the user has not placed.
constexpr std::int32_t NO_ICON_POSITION = INT32_MIN;

struct DiskObject {
    std::uint8_t do_Type;   // 1 disk, 2 drawer, 3 tool, 4 project, 5 garbage, 6 device, 7 kick, 8 appicon;
                            // 0 for a PNG icon that does not say
    char *do_DefaultTool;   // null when the icon has none
    char **do_ToolTypes;    // null-terminated list; never null for an icon from the store
    std::int32_t do_CurrentX, do_CurrentY; // NO_ICON_POSITION when not placed
    std::int32_t do_StackSize;             // 0 for a PNG icon that does not say
    IconFile *file;         // store-private
};

// Reads "name.info", a classic icon or a PNG icon as its content says (relative
// names from the current directory; when no file has the exact name, a single file
// matching it without regard to case). Returns null when there is no icon or the
// file is not a well-formed icon.
DiskObject *GetDiskObject(const char *name);

// The value of the first entry whose key (text up to '=' or the end) equals key
// without regard to case: the text after '=', an empty text for a bare key, or null.
char *FindToolType(char **toolTypes, const char *key);

// Writes the icon under "name.info" with the tooltype list it holds now (the
// store's NewIcons image block, if any, follows the list). Returns false, leaving
// the old file whole, when the icon may not or could not be written.
bool PutDiskObject(const char *name, DiskObject *icon);

void FreeDiskObject(DiskObject *icon);

// Whether a file stands under the icon's name (well-formed or not; several files
// matching it without regard to case count too).
bool IconFilePresent(const char *name);

// Whether PutDiskObject may replace the icon now: it exists, and neither its mode
// bits nor its folder forbid the write. Writes nothing.
bool IconWritable(const char *name);
