// The command line's drawers inside disk images: entering the one an argument
// names, --list-drawers, and the image's place for --show.
#pragma once

#include <cstdio>
#include <string>

#include "platform/icons/image_drawer.h"

// Makes the drawer the argument names in the image the store's drawer. An image
// named alone opens its one drawer that holds Settings.info; with none or several,
// they are listed on standard error with the arguments that open them. False,
// with a message on standard error, when no drawer was entered.
bool EnterImageArgument(const ImageArgument &argument);

// --list-drawers: every drawer of the image that holds Settings.info, with the
// argument that opens it and its application, as lines (tab-separated) or JSON.
// 0 when every partition was read, 1 when one could not be (named on standard
// error, the others listed), 2 when the image cannot be read.
int ListImageDrawers(std::FILE *out, const std::string &image, bool json);

// The argument that opens the store's image drawer, as the file system's bytes
// (PathText gives it for output).
std::string ImageDrawerText(const ImageDrawerPlace &place);
