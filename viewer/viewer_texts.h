// Every text the viewer shows or prints, by id; the built-in English texts.
#pragma once

#include <QString>

// The TXT_ ids and the built-in English table (viewer_text::builtInStrings),
// made at build time from catalogs/SettingsViewer.cd.
#include "viewer/viewer_strings.h"

using namespace viewer_text;  // the ids, by their names in the description
using ViewerTextId = std::int32_t;

// The text of id in the user's language, from Vellumine/SettingsViewer.catalog
// (in whatever character set it is), else the built-in English text.
QString ViewerText(ViewerTextId id);
// Closes the catalog ViewerText uses; the next text opens it again, for the
// languages the environment names then.
void CloseViewerCatalog();
