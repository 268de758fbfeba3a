// An icon as the store hands it out: the DiskObject with its tooltype list, why
// one cannot be read or written, and the lookups on its names and tooltypes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct IconFile;  // the parsed file

// The position of an icon the user has not placed.
constexpr std::int32_t NO_ICON_POSITION = INT32_MIN;

// Why an icon cannot be read or written.
enum class IconProblem {
    None,
    Absent,              // no file under the name
    Folder,              // the name is a folder's
    NotAnIcon,           // not an icon, or a damaged one
    Unreadable,          // the file cannot be read (an I/O error, a dangling link, no access)
    PermissionDenied,    // its mode bits or its folder's forbid the write
    NoSpace,             // no room left on its file system
    ReadOnlyFileSystem,  // its file system is mounted read-only
    Changed,             // replaced or changed by another program while being saved
    WriteFailed,         // any other failure of the write
    LinkLost,            // not written; its old bytes put back as a new file, without its other hard links
    Damaged,             // neither written nor put back; its backup stays for the next save
    ForeignLeftover,     // beside it a file under its backup's name that no save wrote for it
    OutsideDrawer,       // its name, or a link on the way to its file, leads outside the drawer
    InUse,               // in a disk image another process holds open (ImageHolderText names it)
    Locked,              // in a disk image another save held locked for longer than a save waits
    ImageDamaged,        // in a disk image whose file system is damaged
};

// Whether an icon's name leads outside the drawer it is given in: an absolute
// name, a ".." part, an Amiga volume "NAME:", or an empty part (a leading or doubled
// '/': the Amiga's parent).
// A name into a subdrawer ("OS3/Game") stays inside.
bool IconNameLeavesDrawer(const char *name);

// Whether a path's last name is an icon file's: something before ".info", in any
// letter case.
bool IsIconFileName(std::string_view path);

struct DiskObject {
    std::uint8_t do_Type;  // 1 disk, 2 drawer, 3 tool, 4 project, 5 garbage, 6 device, 7 kick, 8 appicon;
                           // 0 for a PNG icon that does not say
    char *do_DefaultTool;  // null when the icon has none
    char **do_ToolTypes;   // null-terminated list; never null for an icon from the store
    std::int32_t do_CurrentX, do_CurrentY;  // NO_ICON_POSITION when not placed
    std::int32_t do_StackSize;              // 0 for a PNG icon that does not say
    std::unique_ptr<IconFile> file;         // store-private: the file it was read from

    ~DiskObject();
};

// The value of the first entry whose key (text up to '=' or the end) equals key
// without regard to case: the text after '=', an empty text for a bare key, or null.
char *FindToolType(char **toolTypes, const char *key);

// Frees an icon GetDiskObject gave, with the file it holds.
void FreeDiskObject(DiskObject *icon);

// The store's DiskObject of an icon's bytes; null when they are not an icon.
DiskObject *DiskObjectOfBytes(std::vector<std::uint8_t> bytes);
