// Every text the viewer shows or prints, by id; the built-in English texts.
#pragma once

#include <QString>

enum ViewerTextId {
    TXT_USAGE,
    TXT_CANNOT_SHOW,  // %1 the document, %2 the reason
    TXT_NO_DISPLAY,
    TXT_NOT_A_GUIDE,
    TXT_NO_SUCH_NODE,  // %1 the node, %2 the document
    TXT_NO_DOCUMENT_NAMED,
    TXT_NO_SUCH_FILE,
    TXT_IS_FOLDER,
    TXT_NOT_REGULAR,
    TXT_TOO_LARGE,  // %1 the largest size in bytes
    TXT_NOT_TEXT,
    TXT_WINDOW_TITLE,  // %1 the node's title or the document's name
    TXT_CONTENTS,
    TXT_INDEX,
    TXT_HELP,
    TXT_RETRACE,
    TXT_BROWSE_PREVIOUS,
    TXT_BROWSE_NEXT,
    TXT_FIND,
    TXT_FIND_PREVIOUS,
    TXT_FIND_NEXT,
    TXT_NOT_FOUND,
    TXT_RUNS_COMMAND,        // %1 the command
    TXT_RUNS_AREXX,          // %1 the script
    TXT_NOT_RUN,             // %1 the command or script
    TXT_VOLUME_UNAVAILABLE,  // %1 the volume or assign
    TXT_LINK_FAILED,         // %1 the target or document, %2 the reason
    TXT_COUNT
};

// The text of id in the user's language, from Vellumine/SettingsViewer.catalog
// (catalogs/SettingsViewer.cd keeps the ids), else the built-in English text.
QString ViewerText(ViewerTextId id);
