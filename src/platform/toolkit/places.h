// The remembered places and sizes of windows, per application base name and
// window id, in the toolkit's settings file.
#pragma once

#include <QByteArray>

#include <string>

#include "platform/toolkit/toolkit.h"

namespace toolkit {

// The place saved for the window (as QWidget::saveGeometry), empty when none.
QByteArray LoadWindowPlace(const std::string &base, IPTR windowId);
// Saves it; the file is not written when the place is the one saved.
void SaveWindowPlace(const std::string &base, IPTR windowId, const QByteArray &geometry);

}  // namespace toolkit
