// The remembered places and sizes of windows, per application base name and
// window id, in the toolkit's settings file.
#pragma once

#include <QRect>

#include <optional>
#include <string>

#include "platform/toolkit/toolkit.h"

namespace toolkit {

// The place saved for the window: its frame's top left corner and the size
// inside the frame; none when none was saved. With a size name the size is the
// one saved under that name, empty when none was.
std::optional<QRect> LoadWindowPlace(const std::string &base, IPTR windowId, const std::string &sizeName = {});
// Saves it, the size under the size name too; the file is not written when the
// place is the one saved.
void SaveWindowPlace(const std::string &base, IPTR windowId, const QRect &place, const std::string &sizeName = {});

}  // namespace toolkit
