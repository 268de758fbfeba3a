// The drawers of a disk image that hold the tool's icon, as the command line's
// --list-drawers and the window's image requester list them.
#pragma once

#include <string>
#include <vector>

#include "platform/icons/image_drawer.h"

// A drawer of an image that holds Settings.info.
struct ToolDrawer {
    std::string argument;   // the argument that opens it, as the file system's bytes
    ImageIconDrawer found;  // where it lies, and its APPLICATION (value)
};

// Every drawer of every partition of image (its path as given) that holds
// Settings.info. A partition or drawer that cannot be read goes to problems (the
// user's words, UTF-8) and the others are still listed. False, with the user's
// words for why in failure, when the image itself cannot be read.
bool FindToolDrawers(const std::string &image, std::vector<ToolDrawer> &drawers, std::vector<std::string> &problems,
                     std::string &failure);

// The user's words (UTF-8) for why an image or a drawer in it cannot be opened.
std::string ImageFailureText(const ImageFailure &why);
