// Drawers inside Amiga disk images (ADF floppies, HDF hard disk files): the
// argument that names one, the store's drawer set to one, and the drawers of an
// image that hold a given icon. While an image's drawer is the store's, every
// name the store is given (GetDiskObject, PutDiskObject, IconFilePresent,
// IconWriteProblem) is a name in that drawer, compared as AmigaDOS compares names,
// and a save (BeginIconSave to EndIconSave) writes into the image, locked, as its
// file system's own writes would (icon_image.cpp argues its safety).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An argument naming a drawer inside an image is "IMAGE:PATH", or, where the
// image holds several partitions, "IMAGE:PARTITION:PATH" (a device name such as
// DH0, or a volume's name); PATH's drawers are separated by '/', and an empty
// PATH is the volume's root. The image's path is the longest part before a colon
// that names a regular file, so that a colon in it needs no escape; an argument
// that names an existing file or folder whole is that file or folder (an image
// named alone). The inside part, when it is UTF-8 of ISO-8859-1 characters, is
// taken as those characters, as the image holds them.
struct ImageArgument {
    std::string image;         // the image's path, as given
    std::string inside;        // "[PARTITION:]PATH", in the image's characters
    bool drawerNamed = false;  // false: the image alone
};

// Whether argument names a drawer in an image, or an image alone: a regular
// file that is not an icon (NAME.info) and holds a partition table, a DOS boot
// block or is named like an image (.adf, .hdf).
bool ParseImageArgument(const std::string &argument, ImageArgument &parsed);

// Whether a file's name is an image's: it ends in ".adf" or ".hdf", in any case.
bool IsImageFileName(const std::string &name);

enum class ImageProblem {
    None,
    Unreadable,       // the image cannot be opened or read (error)
    NotAnImage,       // no partition can be told (detail: why)
    PartitionNeeded,  // several partitions and none named (detail: their names)
    NoPartition,      // no partition or volume of that name (detail: the names there are)
    FileSystem,       // the partition's file system cannot be read (detail: why, its dostype named)
    NoDrawer,         // no drawer at the path (detail: why)
};
struct ImageFailure {
    ImageProblem problem = ImageProblem::None;
    int error = 0;
    std::string detail;  // English, from the file system's reader, or names
};

// Makes the drawer at inside ("[PARTITION:]PATH") of the image the store's
// drawer. False, with why, when there is no such drawer; the store's drawer is
// then as it was.
bool EnterImageDrawer(const std::string &image, const std::string &inside, ImageFailure &why);
// The current folder is the store's drawer again.
void LeaveImageDrawer();

// Where the store's image drawer lies.
struct ImageDrawerPlace {
    std::string image;    // the image's path, absolute
    std::string device;   // the partition's device name (DF0 for a floppy)
    std::string volume;   // its volume's name (ISO-8859-1)
    std::string dosType;  // "DOS\3"
    std::string path;     // the drawer's path in the volume (ISO-8859-1), "" for the root
    bool severalPartitions = false;
};
// The store's image drawer, or null when it is the current folder.
const ImageDrawerPlace *CurrentImageDrawer();

// Reads the file of that name (a path from the drawer, as the store's names are)
// in the store's image drawer, of at most limit bytes. False when there is none
// or it cannot be read.
bool ReadImageDrawerFile(const char *name, std::size_t limit, std::string &bytes);

// The argument that names a drawer of an image: "IMAGE:PATH", or
// "IMAGE:DEVICE:PATH" when the image has several partitions (path ISO-8859-1,
// written as UTF-8 as an argument takes it).
std::string ImageDrawerArgument(const std::string &image, const std::string &device, const std::string &path,
                                bool severalPartitions);

// A drawer of an image that holds the icon looked for.
struct ImageIconDrawer {
    std::string device, volume;
    std::string path;                // in the volume, ISO-8859-1
    std::string value;               // the icon's tooltype asked for (ISO-8859-1); empty when it has none
    bool readable = false;           // the icon could be read as an icon
    bool severalPartitions = false;  // the image holds several: the argument names the device
};
// Every drawer of every partition of the image that holds the icon "name" (its
// name without ".info"), with the value of its tooltype key. A partition or
// drawer that cannot be read goes to problems ("DH1: why") and the others are
// still looked through. False, with why, when the image itself cannot be read.
bool FindImageIconDrawers(const std::string &image, const char *name, const char *key,
                          std::vector<ImageIconDrawer> &found, std::vector<std::string> &problems, ImageFailure &why);

// The process an IconProblem::InUse names: "NAME (ID)".
const std::string &ImageHolderText();

// A save waits this long at most for another save of the same image; after a
// second the hook (when set) is told, once, with the image's path.
constexpr int IMAGE_LOCK_WAIT_SECONDS = 10;
void SetImageWaitHook(void (*hook)(const char *image));
