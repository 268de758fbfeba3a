// The store's side of a DiskObject, private to the icon store: the parsed file
// it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/disk_object.h"

// The store's side of a DiskObject: the file's bytes, where its parts lie, and the
// tooltype list handed out (pointing into the layout's texts).
struct IconFile {
    std::vector<std::uint8_t> bytes;
    bool png = false;         // a PNG icon; otherwise a classic one
    IconLayout layout;        // a classic icon's sections
    PngIconLayout pngLayout;  // a PNG icon's chunks and tags
    std::vector<char *> list;
    struct stat read;  // the file read: a write compares its identity, size and time
};

// Parses the bytes as the kind of icon their start names.
bool ParseIconFile(IconFile &file);

// The DiskObject of a parsed file: the type, default tool, position, stack size
// and tooltypes it gives (a PNG icon's from the first icOn's tags, the last of each
// kind winning as for a reader that takes them in order).
std::unique_ptr<DiskObject> NewDiskObject(std::unique_ptr<IconFile> parsed);
