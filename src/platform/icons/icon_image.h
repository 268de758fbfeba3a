// The icon store's side of an image drawer (image_drawer.h): the named files of
// the drawer read, checked and replaced within a save, beside the folder's code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/icons/disk_object.h"

namespace icon_image {

// Whether an image's drawer is the store's.
bool Active();

// Reads the file of the icon "name" ("name.info") whole; error holds the
// system's error number behind IconProblem::Unreadable (0 when unknown).
IconProblem ReadIcon(const char *name, std::vector<std::uint8_t> &bytes, int &error);
// Whether an entry stands under the icon's name (one that cannot be told counts).
bool Present(const char *name);
// Why the icon could not be replaced now (None when it could). Writes nothing.
IconProblem WriteProblem(const char *name);
// Within a save: prepares replacing the icon's bytes, carried out by EndSave.
IconProblem PrepareWrite(const char *name, const std::string &bytes);

void BeginSave(bool dryRun);
// Carries out the prepared replacements in order: for each, None or why not (it
// then holds its old bytes). Lets go of the image.
std::vector<IconProblem> EndSave();

}  // namespace icon_image
